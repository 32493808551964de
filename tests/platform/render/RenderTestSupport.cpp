#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <cctype>
#include <cstdlib>
#include <pugixml.hpp>
#include <sstream>

namespace rendertest {

void MakeFixture(const std::string& name, const std::filesystem::path& path) {
    const std::string command = std::string("/usr/bin/python3 '") + RENDER_FIXTURES + "' " + name +
                                " '" + path.string() + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::unique_ptr<AcDbDatabase> ReadDrawing(const std::filesystem::path& path) {
    auto db = std::make_unique<AcDbDatabase>(false, true);
    EXPECT_EQ(db->readDwgFile(path.c_str()), Acad::eOk) << db->lastError();
    return db;
}

std::unique_ptr<AcDbDatabase> ReadDxfText(const std::string& text) {
    auto db = std::make_unique<AcDbDatabase>(false, true);
    EXPECT_EQ(db->readDxfText(text), Acad::eOk) << db->lastError();
    return db;
}

render::Options HundredSquare(bool dark) {
    render::Options options;
    options.window = render::Window{0, 0, 100, 100};
    options.width = 1000;
    options.dark = dark;
    return options;
}

namespace {

struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    std::pair<double, double> Map(double x, double y) const {
        return {a * x + c * y + e, b * x + d * y + f};
    }
    /// This after `inner`.
    Affine Then(const Affine& inner) const {
        return {a * inner.a + c * inner.b,     b * inner.a + d * inner.b,
                a * inner.c + c * inner.d,     b * inner.c + d * inner.d,
                a * inner.e + c * inner.f + e, b * inner.e + d * inner.f + f};
    }
};

std::vector<double> Numbers(const std::string& text) {
    std::vector<double> out;
    const char* p = text.c_str();
    while (*p != '\0') {
        if (std::isdigit(static_cast<unsigned char>(*p)) || *p == '-' || *p == '+' || *p == '.') {
            char* end = nullptr;
            out.push_back(std::strtod(p, &end));
            if (end == p)
                ++p;
            else
                p = end;
        } else {
            ++p;
        }
    }
    return out;
}

struct Inherited {
    Affine transform;
    std::string stroke = "none";
    std::string fill = "black";
    double strokeWidth = 1;
};

void Walk(const pugi::xml_node& node, Inherited state, std::vector<Element>& out) {
    if (auto t = node.attribute("transform")) {
        const std::vector<double> m = Numbers(t.value());
        if (std::string(t.value()).starts_with("matrix") && m.size() == 6)
            state.transform = state.transform.Then(Affine{m[0], m[1], m[2], m[3], m[4], m[5]});
    }
    if (auto s = node.attribute("stroke"))
        state.stroke = s.value();
    if (auto f = node.attribute("fill"))
        state.fill = f.value();
    if (auto w = node.attribute("stroke-width"))
        state.strokeWidth = w.as_double();
    const std::string tag = node.name();
    if (tag == "polyline" || tag == "polygon" || tag == "path" || tag == "circle" ||
        tag == "ellipse" || tag == "text" || tag == "rect") {
        Element e;
        e.tag = tag;
        e.stroke = state.stroke;
        e.fill = state.fill;
        e.strokeWidth = state.strokeWidth;
        std::vector<double> xy;
        if (tag == "polyline" || tag == "polygon")
            xy = Numbers(node.attribute("points").value());
        else if (tag == "path")
            xy = Numbers(node.attribute("d").value());
        else if (tag == "circle" || tag == "ellipse")
            xy = {node.attribute("cx").as_double(), node.attribute("cy").as_double()};
        else if (tag == "rect")
            xy = {node.attribute("x").as_double(), node.attribute("y").as_double()};
        else
            xy = {node.attribute("x").as_double(), node.attribute("y").as_double()};
        for (std::size_t i = 0; i + 1 < xy.size(); i += 2)
            e.points.push_back(state.transform.Map(xy[i], xy[i + 1]));
        if (tag == "circle")
            e.radius =
                node.attribute("r").as_double() * std::hypot(state.transform.a, state.transform.b);
        if (tag == "ellipse")
            e.radius =
                node.attribute("rx").as_double() * std::hypot(state.transform.a, state.transform.b);
        if (tag == "text") {
            e.text = node.child_value();
            e.fontSize = node.attribute("font-size").as_double();
            const Affine& m = state.transform;
            e.matrix[0] = m.a;
            e.matrix[1] = m.b;
            e.matrix[2] = m.c;
            e.matrix[3] = m.d;
            e.matrix[4] = e.points[0].first;
            e.matrix[5] = e.points[0].second;
        }
        out.push_back(std::move(e));
    }
    for (const pugi::xml_node& child : node.children())
        if (child.type() == pugi::node_element)
            Walk(child, state, out);
}

}  // namespace

std::vector<const Element*> Svg::With(const std::string& color, const std::string& tag) const {
    std::vector<const Element*> found;
    for (const Element& e : elements)
        if ((e.stroke == color || e.fill == color) && (tag.empty() || e.tag == tag))
            found.push_back(&e);
    return found;
}

const Element* Svg::Text(const std::string& text) const {
    for (const Element& e : elements)
        if (e.tag == "text" && e.text == text)
            return &e;
    return nullptr;
}

Svg RenderSvg(AcDbDatabase& db, const render::Options& options) {
    Svg svg;
    std::string bytes;
    svg.result = render::Render(db, render::Format::Svg, options, bytes);
    EXPECT_TRUE(svg.result.ok) << svg.result.error;
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size());
    EXPECT_TRUE(parsed) << parsed.description();
    const pugi::xml_node root = doc.child("svg");
    const std::vector<double> box = Numbers(root.attribute("viewBox").value());
    if (box.size() == 4) {
        svg.width = static_cast<int>(box[2]);
        svg.height = static_cast<int>(box[3]);
    }
    Walk(root, Inherited{}, svg.elements);
    return svg;
}

QImage RenderPng(AcDbDatabase& db, const render::Options& options, render::Result* result) {
    std::string bytes;
    const render::Result r = render::Render(db, render::Format::Png, options, bytes);
    EXPECT_TRUE(r.ok) << r.error;
    if (result != nullptr)
        *result = r;
    QImage image;
    EXPECT_TRUE(
        image.loadFromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), "PNG"));
    return image;
}

}  // namespace rendertest

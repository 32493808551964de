#include "BackList.h"

#include <algorithm>
#include <unordered_map>

#include "common/numbers.h"
#include "common/text.h"
#include "services/maker.h"
#include "services/numtext.h"
#include "services/wiringplan.h"

namespace tervo {

using zelko::BackDevice;
using zelko::BackWireEnd;
using zelko::BackWiring;

namespace {

/// common::CompareNoCase, with the ASCII part of the texts compared here: most texts of the
/// wiring data are ASCII, and the lists compare them millions of times.
int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80) {
            return common::CompareNoCase(a.substr(i), b.substr(i));
        }
        const int la = ca >= 'A' && ca <= 'Z' ? ca + ('a' - 'A') : ca;
        const int lb = cb >= 'A' && cb <= 'Z' ? cb + ('a' - 'A') : cb;
        if (la != lb) {
            return la < lb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a == b || CompareNoCase(a, b) == 0;
}

/// Compares key by key: the first key that differs decides.
class Order {
public:
    Order& NoCase(std::string_view a, std::string_view b) {
        if (m_result == 0) {
            m_result = CompareNoCase(a, b);
        }
        return *this;
    }
    Order& Natural(std::string_view a, std::string_view b) {
        if (m_result == 0) {
            m_result = zelko::NaturalCompare(a, b);
        }
        return *this;
    }
    Order& Number(std::int64_t a, std::int64_t b) {
        if (m_result == 0) {
            m_result = a < b ? -1 : a > b ? 1 : 0;
        }
        return *this;
    }
    Order& Descending() {
        m_result = -m_result;
        return *this;
    }
    bool Before() const { return m_result < 0; }

private:
    int m_result = 0;
};

/// Case-insensitive equality of the texts of two records, field by field.
template <typename... Texts>
bool SameTexts(const std::tuple<Texts...>& a, const std::tuple<Texts...>& b) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return (EqualsNoCase(std::get<I>(a), std::get<I>(b)) && ...);
    }
    (std::index_sequence_for<Texts...>{});
}

/// What names a device: its key (which its wire ends name) and its tag (器具番号).
auto DeviceIdentity(const BackDevice& d) {
    return std::tie(d.key, d.tag);
}

/// What describes a device without changing its wiring.
auto DeviceDescription(const BackDevice& d) {
    return std::tie(d.partCode, d.plate, d.addressPrefix, d.addressNo, d.unit, d.rating, d.model);
}

bool SameDevice(const BackDevice& a, const BackDevice& b, const DiffOptions& options) {
    return SameTexts(DeviceIdentity(a), DeviceIdentity(b)) &&
           (!options.deviceTextsCount ||
            (a.orderKey == b.orderKey && SameTexts(DeviceDescription(a), DeviceDescription(b))));
}

auto SideTexts(const zelko::BackWireSide& s) {
    return std::tie(s.panelNo, s.tag, s.terminal, s.destPrefix, s.destNo, s.wireKind, s.wireSize,
                    s.wireColor, s.special);
}

bool SameWireEnd(const BackWireEnd& a, const BackWireEnd& b) {
    return a.kind == b.kind &&
           SameTexts(std::tie(a.connectorTag, a.terminalNo, a.wireNo, a.routeKind),
                     std::tie(b.connectorTag, b.terminalNo, b.wireNo, b.routeKind)) &&
           SameTexts(SideTexts(a.side[0]), SideTexts(b.side[0])) &&
           SameTexts(SideTexts(a.side[1]), SideTexts(b.side[1]));
}

}  // namespace

bool ListPanels(const zelko::WpData* plan, const PanelChoice& choice,
                std::vector<ListPanel>& panels, std::string& error) {
    const zelko::WpPanelList* list =
        choice.byNumber ? zelko::WpTitlePanelList(plan) : zelko::WpPanelListOf(plan);
    if (list == nullptr) {
        error = zelko::MakerLastError();
        return false;
    }
    const int count = zelko::WpPanelCount(list);
    for (int i = 0; i < count; ++i) {
        const zelko::WpPanel* panel = zelko::WpPanelAt(list, i);
        ListPanel listed;
        listed.panelNo = zelko::WpPanelNo(panel);
        listed.index = i;
        listed.listed = zelko::WpPanelKind(panel) != 2;
        if (!choice.all) {
            listed.listed = listed.listed &&
                            std::any_of(choice.panels.begin(), choice.panels.end(),
                                        [&](const std::string& chosen) {
                                            return common::EqualsNoCase(chosen, listed.panelNo);
                                        });
        }
        panels.push_back(std::move(listed));
    }
    return true;
}

bool WireEndBefore(const BackWireEnd& a, const BackWireEnd& b) {
    return Order()
        .NoCase(a.panelNo, b.panelNo)
        .Natural(a.connectorTag, b.connectorTag)
        .Natural(a.terminalNo, b.terminalNo)
        .NoCase(a.deviceKey, b.deviceKey)
        .NoCase(a.routeKind, b.routeKind)
        .NoCase(a.wireNo, b.wireNo)
        .Natural(a.side[0].tag, b.side[0].tag)
        .Natural(a.side[1].tag, b.side[1].tag)
        .Before();
}

bool DeviceBefore(const BackDevice& a, const BackDevice& b) {
    return Order()
        .Number(a.orderKey, b.orderKey)
        .NoCase(a.addressPrefix, b.addressPrefix)
        .Number(common::LeadingInteger(a.addressNo), common::LeadingInteger(b.addressNo))
        .NoCase(a.tag, b.tag)
        .NoCase(a.key, b.key)
        .Before();
}

bool DeviceWireEndBefore(const BackWireEnd& a, const BackWireEnd& b) {
    return Order()
        .NoCase(a.terminalType, b.terminalType)
        .Descending()
        .Natural(a.connectorTag, b.connectorTag)
        .Natural(a.terminalNo, b.terminalNo)
        .NoCase(a.wireNo, b.wireNo)
        .NoCase(a.routeKind, b.routeKind)
        .Natural(a.side[1].tag, b.side[1].tag)
        .Natural(a.side[0].tag, b.side[0].tag)
        .Before();
}

void BuildBackList(std::shared_ptr<const BackWiring> wiring, const std::vector<ListPanel>& panels,
                   BackList& list) {
    list.panels = panels;
    list.wiring = std::move(wiring);
    const BackWiring& data = *list.wiring;

    // Panels by their number; a number given twice lists under its first panel.
    std::unordered_map<std::string, std::size_t> panelOf;
    for (std::size_t p = 0; p < list.panels.size(); ++p) {
        panelOf.emplace(common::ToUpper(list.panels[p].panelNo), p);
    }

    std::vector<const BackWireEnd*> ends;
    ends.reserve(data.wireEnds.size());
    for (const auto& end : data.wireEnds) {
        ends.push_back(&end);
    }
    std::sort(ends.begin(), ends.end(),
              [](const BackWireEnd* a, const BackWireEnd* b) { return WireEndBefore(*a, *b); });

    // The wire ends of each device, in the order of all wire ends; a device takes the ends
    // whose panel and device key it matches and that no earlier device has taken.
    std::unordered_map<std::string, std::vector<const BackWireEnd*>> endsOf;
    for (const BackWireEnd* end : ends) {
        endsOf[common::ToUpper(end->panelNo) + '\n' + common::ToUpper(end->deviceKey)].push_back(
            end);
    }

    std::vector<std::vector<const BackDevice*>> devicesOf(list.panels.size());
    for (const auto& device : data.devices) {
        if (auto found = panelOf.find(common::ToUpper(device.panelNo)); found != panelOf.end()) {
            devicesOf[found->second].push_back(&device);
        }
    }
    for (std::size_t p = 0; p < list.panels.size(); ++p) {
        auto& devices = devicesOf[p];
        std::stable_sort(
            devices.begin(), devices.end(),
            [](const BackDevice* a, const BackDevice* b) { return DeviceBefore(*a, *b); });
        for (const BackDevice* device : devices) {
            ListDevice listed{device, {}};
            auto found =
                endsOf.find(common::ToUpper(device->panelNo) + '\n' + common::ToUpper(device->key));
            if (found != endsOf.end()) {
                listed.ends = std::move(found->second);
                endsOf.erase(found);  // used
                // Stable, so that wire ends equal in these keys keep the order of all wire ends.
                std::stable_sort(listed.ends.begin(), listed.ends.end(),
                                 [](const BackWireEnd* a, const BackWireEnd* b) {
                                     return DeviceWireEndBefore(*a, *b);
                                 });
            }
            list.panels[p].devices.push_back(std::move(listed));
        }
    }
}

void DiffBackLists(const BackList& current, const BackList& previous, BackList& added,
                   BackList& removed, DiffOptions options) {
    added = BackList{{}, current.wiring};
    removed = BackList{{}, previous.wiring};

    std::unordered_map<std::string, const ListPanel*> previousPanels;
    for (const auto& panel : previous.panels) {
        previousPanels.emplace(common::ToUpper(panel.panelNo), &panel);
    }
    for (const auto& panel : current.panels) {
        ListPanel addedPanel{panel.panelNo, panel.index, panel.listed, {}};
        ListPanel removedPanel{panel.panelNo, panel.index, panel.listed, {}};
        auto found = previousPanels.find(common::ToUpper(panel.panelNo));
        static const ListPanel kNone;
        const ListPanel& before = found != previousPanels.end() ? *found->second : kNone;

        // Previous devices by key, for finding a current device's partner.
        std::unordered_multimap<std::string, std::size_t> byKey;
        for (std::size_t d = 0; d < before.devices.size(); ++d) {
            byKey.emplace(common::ToUpper(before.devices[d].device->key), d);
        }
        std::vector<bool> partnered(before.devices.size(), false);
        std::vector<std::vector<bool>> endTaken(before.devices.size());

        for (const auto& device : panel.devices) {
            const ListDevice* partner = nullptr;
            auto [first, last] = byKey.equal_range(common::ToUpper(device.device->key));
            for (auto it = first; it != last && partner == nullptr; ++it) {
                if (!partnered[it->second] &&
                    SameDevice(*device.device, *before.devices[it->second].device, options)) {
                    partnered[it->second] = true;
                    partner = &before.devices[it->second];
                    endTaken[it->second].assign(partner->ends.size(), false);
                }
            }
            ListDevice addedDevice{device.device, {}};
            std::vector<bool>* taken =
                partner != nullptr
                    ? &endTaken[static_cast<std::size_t>(partner - before.devices.data())]
                    : nullptr;
            for (const BackWireEnd* end : device.ends) {
                bool matched = false;
                for (std::size_t e = 0; partner != nullptr && e < partner->ends.size(); ++e) {
                    if (!(*taken)[e] && SameWireEnd(*end, *partner->ends[e])) {
                        (*taken)[e] = true;
                        matched = true;
                        break;
                    }
                }
                if (!matched) {
                    addedDevice.ends.push_back(end);
                }
            }
            if (!addedDevice.ends.empty()) {
                addedPanel.devices.push_back(std::move(addedDevice));
            }
        }
        for (std::size_t d = 0; d < before.devices.size(); ++d) {
            const ListDevice& device = before.devices[d];
            ListDevice removedDevice{device.device, {}};
            for (std::size_t e = 0; e < device.ends.size(); ++e) {
                if (!partnered[d] || !endTaken[d][e]) {
                    removedDevice.ends.push_back(device.ends[e]);
                }
            }
            if (!removedDevice.ends.empty()) {
                removedPanel.devices.push_back(std::move(removedDevice));
            }
        }
        added.panels.push_back(std::move(addedPanel));
        removed.panels.push_back(std::move(removedPanel));
    }
}

}  // namespace tervo

#include <algorithm>
#include <cmath>

#include "arx/acge.h"

AcGeTol AcGeContext::gTol;

const AcGeVector2d AcGeVector2d::kXAxis{1, 0};
const AcGeVector2d AcGeVector2d::kYAxis{0, 1};
const AcGePoint2d AcGePoint2d::kOrigin{0, 0};
const AcGeVector3d AcGeVector3d::kIdentity{0, 0, 0};
const AcGeVector3d AcGeVector3d::kXAxis{1, 0, 0};
const AcGeVector3d AcGeVector3d::kYAxis{0, 1, 0};
const AcGeVector3d AcGeVector3d::kZAxis{0, 0, 1};
const AcGePoint3d AcGePoint3d::kOrigin{0, 0, 0};
const AcGePlane AcGePlane::kXYPlane{AcGePoint3d::kOrigin, AcGeVector3d::kZAxis};
const AcGeMatrix3d AcGeMatrix3d::kIdentity;

// --- 2D ------------------------------------------------------------------------------------------

double AcGeVector2d::length() const {
    return std::hypot(x, y);
}

AcGeVector2d AcGeVector2d::normal() const {
    double len = length();
    return len > 0 ? AcGeVector2d(x / len, y / len) : *this;
}

double AcGeVector2d::angle() const {
    double a = std::atan2(y, x);
    return a < 0 ? a + 2 * M_PI : a;
}

bool AcGeVector2d::isZeroLength(const AcGeTol& tol) const {
    return length() <= tol.equalVector();
}

bool AcGeVector2d::isEqualTo(const AcGeVector2d& v, const AcGeTol& tol) const {
    return (*this - v).length() <= tol.equalVector();
}

double AcGePoint2d::distanceTo(const AcGePoint2d& p) const {
    return std::hypot(x - p.x, y - p.y);
}

bool AcGePoint2d::isEqualTo(const AcGePoint2d& p, const AcGeTol& tol) const {
    return distanceTo(p) <= tol.equalPoint();
}

// --- 3D vectors and points -----------------------------------------------------------------------

double AcGeVector3d::length() const {
    return std::sqrt(lengthSqrd());
}

AcGeVector3d AcGeVector3d::normal(const AcGeTol& tol) const {
    double len = length();
    return len > tol.equalVector() ? *this / len : *this;
}

AcGeVector3d& AcGeVector3d::normalize(const AcGeTol& tol) {
    *this = normal(tol);
    return *this;
}

AcGeVector3d AcGeVector3d::crossProduct(const AcGeVector3d& v) const {
    return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
}

AcGeVector3d AcGeVector3d::perpVector() const {
    AcGeVector3d n = normal();
    constexpr double kLimit = 1.0 / 64.0;
    AcGeVector3d axis = (std::fabs(n.x) < kLimit && std::fabs(n.y) < kLimit) ? kYAxis : kZAxis;
    return axis.crossProduct(n).normal();
}

double AcGeVector3d::angleTo(const AcGeVector3d& v) const {
    double c = crossProduct(v).length();
    return std::atan2(c, dotProduct(v));
}

AcGeVector3d& AcGeVector3d::rotateBy(double angle, const AcGeVector3d& axis) {
    return transformBy(AcGeMatrix3d::rotation(angle, axis));
}

AcGeVector3d& AcGeVector3d::transformBy(const AcGeMatrix3d& m) {
    const auto& e = m.entry;
    AcGeVector3d r{e[0][0] * x + e[0][1] * y + e[0][2] * z, e[1][0] * x + e[1][1] * y + e[1][2] * z,
                   e[2][0] * x + e[2][1] * y + e[2][2] * z};
    *this = r;
    return *this;
}

bool AcGeVector3d::isZeroLength(const AcGeTol& tol) const {
    return length() <= tol.equalVector();
}

bool AcGeVector3d::isEqualTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    return (*this - v).length() <= tol.equalVector();
}

bool AcGeVector3d::isParallelTo(const AcGeVector3d& v, const AcGeTol& tol) const {
    AcGeVector3d a = normal(tol);
    AcGeVector3d b = v.normal(tol);
    return a.crossProduct(b).length() <= tol.equalVector();
}

AcGeVector3d& AcGeVector3d::operator+=(const AcGeVector3d& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
}

AcGeVector3d& AcGeVector3d::operator-=(const AcGeVector3d& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
}

double AcGePoint3d::distanceTo(const AcGePoint3d& p) const {
    return (*this - p).length();
}

bool AcGePoint3d::isEqualTo(const AcGePoint3d& p, const AcGeTol& tol) const {
    return distanceTo(p) <= tol.equalPoint();
}

AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) {
    *this = m * *this;
    return *this;
}

AcGePoint3d& AcGePoint3d::rotateBy(double angle, const AcGeVector3d& axis,
                                   const AcGePoint3d& wrtPoint) {
    return transformBy(AcGeMatrix3d::rotation(angle, axis, wrtPoint));
}

AcGePoint3d& AcGePoint3d::operator+=(const AcGeVector3d& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
}

AcGePoint3d& AcGePoint3d::operator-=(const AcGeVector3d& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
}

AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p) {
    const auto& e = m.entry;
    double w = e[3][0] * p.x + e[3][1] * p.y + e[3][2] * p.z + e[3][3];
    if (w == 0)
        w = 1;
    return {(e[0][0] * p.x + e[0][1] * p.y + e[0][2] * p.z + e[0][3]) / w,
            (e[1][0] * p.x + e[1][1] * p.y + e[1][2] * p.z + e[1][3]) / w,
            (e[2][0] * p.x + e[2][1] * p.y + e[2][2] * p.z + e[2][3]) / w};
}

AcGePlane::AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& normal)
    : m_origin(origin), m_normal(normal.normal()) {}

// --- matrices ------------------------------------------------------------------------------------

AcGeMatrix3d::AcGeMatrix3d() {
    setToIdentity();
}

AcGeMatrix3d& AcGeMatrix3d::setToIdentity() {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            entry[r][c] = r == c ? 1.0 : 0.0;
    return *this;
}

bool AcGeMatrix3d::isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (std::fabs(entry[r][c] - m.entry[r][c]) > tol.equalVector())
                return false;
    return true;
}

double AcGeMatrix3d::det() const {
    const auto& a = entry;
    double d = 0;
    for (int c = 0; c < 4; ++c) {
        // Minor of row 0, column c.
        double m[3][3];
        for (int r = 1; r < 4; ++r) {
            int k = 0;
            for (int cc = 0; cc < 4; ++cc)
                if (cc != c)
                    m[r - 1][k++] = a[r][cc];
        }
        double minor = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        d += ((c % 2) ? -1.0 : 1.0) * a[0][c] * minor;
    }
    return d;
}

AcGeMatrix3d AcGeMatrix3d::inverse() const {
    // Gauss-Jordan elimination with partial pivoting.
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = entry[r][c];
            a[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
                pivot = r;
        if (std::fabs(a[pivot][col]) < 1e-300)
            return AcGeMatrix3d();
        if (pivot != col)
            for (int c = 0; c < 8; ++c)
                std::swap(a[pivot][c], a[col][c]);
        double p = a[col][col];
        for (int c = 0; c < 8; ++c)
            a[col][c] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == col)
                continue;
            double f = a[r][col];
            if (f != 0)
                for (int c = 0; c < 8; ++c)
                    a[r][c] -= f * a[col][c];
        }
    }
    AcGeMatrix3d out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.entry[r][c] = a[r][c + 4];
    return out;
}

AcGeMatrix3d& AcGeMatrix3d::invert() {
    *this = inverse();
    return *this;
}

AcGeMatrix3d AcGeMatrix3d::transpose() const {
    AcGeMatrix3d t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            t.entry[r][c] = entry[c][r];
    return t;
}

bool AcGeMatrix3d::isUniScaledOrtho(const AcGeTol& tol) const {
    AcGeVector3d cols[3];
    for (int c = 0; c < 3; ++c)
        cols[c] = {entry[0][c], entry[1][c], entry[2][c]};
    double s = cols[0].length();
    if (s <= tol.equalVector())
        return false;
    double eps = std::max(tol.equalVector(), 1e-9) * s;
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(cols[i].length() - s) > eps)
            return false;
        for (int j = i + 1; j < 3; ++j)
            if (std::fabs(cols[i].dotProduct(cols[j])) > eps * s)
                return false;
    }
    return true;
}

double AcGeMatrix3d::scale() const {
    double s = 0;
    for (int c = 0; c < 3; ++c)
        s = std::max(s, AcGeVector3d(entry[0][c], entry[1][c], entry[2][c]).length());
    return s;
}

AcGeVector3d AcGeMatrix3d::translation() const {
    return {entry[0][3], entry[1][3], entry[2][3]};
}

AcGeMatrix3d AcGeMatrix3d::operator*(const AcGeMatrix3d& m) const {
    AcGeMatrix3d out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double s = 0;
            for (int k = 0; k < 4; ++k)
                s += entry[r][k] * m.entry[k][c];
            out.entry[r][c] = s;
        }
    return out;
}

AcGeMatrix3d& AcGeMatrix3d::preMultBy(const AcGeMatrix3d& left) {
    *this = left * *this;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::postMultBy(const AcGeMatrix3d& right) {
    *this = *this * right;
    return *this;
}

AcGeMatrix3d& AcGeMatrix3d::setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& xAxis,
                                           const AcGeVector3d& yAxis, const AcGeVector3d& zAxis) {
    setToIdentity();
    const AcGeVector3d* axes[3] = {&xAxis, &yAxis, &zAxis};
    for (int c = 0; c < 3; ++c) {
        entry[0][c] = axes[c]->x;
        entry[1][c] = axes[c]->y;
        entry[2][c] = axes[c]->z;
    }
    entry[0][3] = origin.x;
    entry[1][3] = origin.y;
    entry[2][3] = origin.z;
    return *this;
}

AcGeMatrix3d AcGeMatrix3d::translation(const AcGeVector3d& v) {
    AcGeMatrix3d m;
    m.entry[0][3] = v.x;
    m.entry[1][3] = v.y;
    m.entry[2][3] = v.z;
    return m;
}

AcGeMatrix3d AcGeMatrix3d::rotation(double angle, const AcGeVector3d& axis,
                                    const AcGePoint3d& center) {
    AcGeVector3d u = axis.normal();
    double c = std::cos(angle);
    double s = std::sin(angle);
    double t = 1 - c;
    AcGeMatrix3d r;
    r.entry[0][0] = t * u.x * u.x + c;
    r.entry[0][1] = t * u.x * u.y - s * u.z;
    r.entry[0][2] = t * u.x * u.z + s * u.y;
    r.entry[1][0] = t * u.x * u.y + s * u.z;
    r.entry[1][1] = t * u.y * u.y + c;
    r.entry[1][2] = t * u.y * u.z - s * u.x;
    r.entry[2][0] = t * u.x * u.z - s * u.y;
    r.entry[2][1] = t * u.y * u.z + s * u.x;
    r.entry[2][2] = t * u.z * u.z + c;
    AcGeVector3d cv = center.asVector();
    return translation(cv) * r * translation(-cv);
}

AcGeMatrix3d AcGeMatrix3d::scaling(double factor, const AcGePoint3d& center) {
    return scaling(AcGeScale3d(factor), center);
}

AcGeMatrix3d AcGeMatrix3d::scaling(const AcGeScale3d& f, const AcGePoint3d& center) {
    AcGeMatrix3d s;
    s.entry[0][0] = f.sx;
    s.entry[1][1] = f.sy;
    s.entry[2][2] = f.sz;
    AcGeVector3d cv = center.asVector();
    return translation(cv) * s * translation(-cv);
}

AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePlane& plane) {
    AcGeVector3d n = plane.normal();
    AcGeMatrix3d m;
    double nn[3] = {n.x, n.y, n.z};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m.entry[r][c] = (r == c ? 1.0 : 0.0) - 2 * nn[r] * nn[c];
    AcGeVector3d cv = plane.pointOnPlane().asVector();
    return translation(cv) * m * translation(-cv);
}

AcGeMatrix3d AcGeMatrix3d::mirroring(const AcGePoint3d& point) {
    return scaling(-1.0, point);
}

AcGeMatrix3d AcGeMatrix3d::planeToWorld(const AcGeVector3d& normal) {
    AcGeVector3d z = normal.normal();
    if (z.isZeroLength())
        z = AcGeVector3d::kZAxis;
    AcGeVector3d x = z.perpVector();
    AcGeVector3d y = z.crossProduct(x).normal();
    AcGeMatrix3d m;
    m.setCoordSystem(AcGePoint3d::kOrigin, x, y, z);
    return m;
}

AcGeMatrix3d AcGeMatrix3d::worldToPlane(const AcGeVector3d& normal) {
    // The plane matrix is orthonormal: its inverse is its transpose.
    return planeToWorld(normal).transpose();
}

AcGeMatrix3d AcGeMatrix3d::alignCoordSys(const AcGePoint3d& fromOrigin,
                                         const AcGeVector3d& fromXAxis,
                                         const AcGeVector3d& fromYAxis,
                                         const AcGeVector3d& fromZAxis, const AcGePoint3d& toOrigin,
                                         const AcGeVector3d& toXAxis, const AcGeVector3d& toYAxis,
                                         const AcGeVector3d& toZAxis) {
    AcGeMatrix3d from;
    from.setCoordSystem(fromOrigin, fromXAxis, fromYAxis, fromZAxis);
    AcGeMatrix3d to;
    to.setCoordSystem(toOrigin, toXAxis, toYAxis, toZAxis);
    return to * from.inverse();
}

// --- 2D segments ---------------------------------------------------------------------------------

AcGeLineSeg2d& AcGeLineSeg2d::set(const AcGePoint2d& start, const AcGePoint2d& end) {
    m_start = start;
    m_end = end;
    return *this;
}

AcGePoint2d AcGeLineSeg2d::midPoint() const {
    return {(m_start.x + m_end.x) / 2, (m_start.y + m_end.y) / 2};
}

double AcGeLineSeg2d::length() const {
    return m_start.distanceTo(m_end);
}

AcGeVector2d AcGeLineSeg2d::direction() const {
    return (m_end - m_start).normal();
}

double AcGeLineSeg2d::distanceTo(const AcGePoint2d& point) const {
    AcGeVector2d d = m_end - m_start;
    double len2 = d.dotProduct(d);
    if (len2 == 0)
        return point.distanceTo(m_start);
    double t = std::clamp((point - m_start).dotProduct(d) / len2, 0.0, 1.0);
    return point.distanceTo(m_start + d * t);
}

bool AcGeLineSeg2d::isOn(const AcGePoint2d& point, const AcGeTol& tol) const {
    return distanceTo(point) <= tol.equalPoint();
}

bool AcGeLineSeg2d::intersectWith(const AcGeLineSeg2d& other, AcGePoint2d& point,
                                  const AcGeTol& tol) const {
    AcGeVector2d r = m_end - m_start;
    AcGeVector2d s = other.m_end - other.m_start;
    double denom = r.crossProduct(s);
    double lr = r.length();
    double ls = s.length();
    if (lr == 0 || ls == 0)
        return false;
    if (std::fabs(denom) <= tol.equalVector() * lr * ls)
        return false;  // parallel or collinear
    AcGeVector2d qp = other.m_start - m_start;
    double t = qp.crossProduct(s) / denom;
    double u = qp.crossProduct(r) / denom;
    // Parameters may overshoot by the point tolerance measured along each segment.
    double et = tol.equalPoint() / lr;
    double eu = tol.equalPoint() / ls;
    if (t < -et || t > 1 + et || u < -eu || u > 1 + eu)
        return false;
    point = m_start + r * t;
    return true;
}

#pragma once

// Geometry classes of the CAD host's geometry library, under their own names: 2D and 3D points
// and vectors, 4x4 transformation matrices, scale factors, planes, 2D line segments and the
// global tolerance. Only what the drawing code relies on is here; see platform/arx/README.md.

#include <array>

/// Tolerances for comparing points (distance) and vectors.
class AcGeTol {
public:
    double equalPoint() const { return m_point; }
    double equalVector() const { return m_vector; }
    void setEqualPoint(double value) { m_point = value; }
    void setEqualVector(double value) { m_vector = value; }

private:
    double m_point = 1e-10;
    double m_vector = 1e-12;
};

/// The global geometry context; `gTol` is the tolerance every comparison defaults to.
struct AcGeContext {
    static AcGeTol gTol;
};

class AcGeMatrix3d;

class AcGeVector2d {
public:
    AcGeVector2d() = default;
    AcGeVector2d(double xx, double yy) : x(xx), y(yy) {}

    double length() const;
    AcGeVector2d normal() const;
    double dotProduct(const AcGeVector2d& v) const { return x * v.x + y * v.y; }
    /// The z component of the 3D cross product.
    double crossProduct(const AcGeVector2d& v) const { return x * v.y - y * v.x; }
    /// Angle from the X axis, in [0, 2 pi).
    double angle() const;
    bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const;
    bool isEqualTo(const AcGeVector2d& v, const AcGeTol& tol = AcGeContext::gTol) const;

    AcGeVector2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
    AcGeVector2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
    AcGeVector2d operator-() const { return {-x, -y}; }
    AcGeVector2d operator*(double s) const { return {x * s, y * s}; }

    static const AcGeVector2d kXAxis;
    static const AcGeVector2d kYAxis;

    double x = 0;
    double y = 0;
};

class AcGePoint2d {
public:
    AcGePoint2d() = default;
    AcGePoint2d(double xx, double yy) : x(xx), y(yy) {}

    double distanceTo(const AcGePoint2d& p) const;
    bool isEqualTo(const AcGePoint2d& p, const AcGeTol& tol = AcGeContext::gTol) const;
    AcGePoint2d& set(double xx, double yy) {
        x = xx;
        y = yy;
        return *this;
    }

    AcGePoint2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
    AcGePoint2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
    AcGeVector2d operator-(const AcGePoint2d& p) const { return {x - p.x, y - p.y}; }
    bool operator==(const AcGePoint2d& p) const { return isEqualTo(p); }

    static const AcGePoint2d kOrigin;

    double x = 0;
    double y = 0;
};

class AcGeVector3d {
public:
    AcGeVector3d() = default;
    AcGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

    double length() const;
    double lengthSqrd() const { return x * x + y * y + z * z; }
    /// The unit vector of this one; the zero vector stays zero.
    AcGeVector3d normal(const AcGeTol& tol = AcGeContext::gTol) const;
    AcGeVector3d& normalize(const AcGeTol& tol = AcGeContext::gTol);
    double dotProduct(const AcGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
    AcGeVector3d crossProduct(const AcGeVector3d& v) const;
    /// A unit vector perpendicular to this one, chosen by the arbitrary axis rule of the
    /// drawing format: world Y x this when |x| and |y| are both below 1/64, else world Z x this.
    /// It is the X axis of the object coordinate system whose Z axis is this vector.
    AcGeVector3d perpVector() const;
    /// Angle to `v`, in [0, pi].
    double angleTo(const AcGeVector3d& v) const;
    AcGeVector3d& rotateBy(double angle, const AcGeVector3d& axis);
    AcGeVector3d& transformBy(const AcGeMatrix3d& m);
    bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const;
    bool isEqualTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const;
    bool isParallelTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const;

    AcGeVector3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    AcGeVector3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    AcGeVector3d operator-() const { return {-x, -y, -z}; }
    AcGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
    AcGeVector3d operator/(double s) const { return {x / s, y / s, z / s}; }
    AcGeVector3d& operator+=(const AcGeVector3d& v);
    AcGeVector3d& operator-=(const AcGeVector3d& v);
    bool operator==(const AcGeVector3d& v) const { return isEqualTo(v); }

    static const AcGeVector3d kIdentity;
    static const AcGeVector3d kXAxis;
    static const AcGeVector3d kYAxis;
    static const AcGeVector3d kZAxis;

    double x = 0;
    double y = 0;
    double z = 0;
};

inline AcGeVector3d operator*(double s, const AcGeVector3d& v) {
    return v * s;
}

class AcGePoint3d {
public:
    AcGePoint3d() = default;
    AcGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}

    double distanceTo(const AcGePoint3d& p) const;
    bool isEqualTo(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const;
    AcGePoint3d& transformBy(const AcGeMatrix3d& m);
    AcGePoint3d& rotateBy(double angle, const AcGeVector3d& axis,
                          const AcGePoint3d& wrtPoint = AcGePoint3d::kOrigin);
    AcGePoint3d& set(double xx, double yy, double zz) {
        x = xx;
        y = yy;
        z = zz;
        return *this;
    }
    AcGePoint2d convert2d() const { return {x, y}; }
    AcGeVector3d asVector() const { return {x, y, z}; }

    AcGePoint3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    AcGePoint3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    AcGeVector3d operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
    AcGePoint3d& operator+=(const AcGeVector3d& v);
    AcGePoint3d& operator-=(const AcGeVector3d& v);
    bool operator==(const AcGePoint3d& p) const { return isEqualTo(p); }

    static const AcGePoint3d kOrigin;

    double x = 0;
    double y = 0;
    double z = 0;
};

AcGePoint3d operator*(const AcGeMatrix3d& m, const AcGePoint3d& p);

/// Scale factors along X, Y and Z.
class AcGeScale3d {
public:
    AcGeScale3d() = default;
    explicit AcGeScale3d(double factor) : sx(factor), sy(factor), sz(factor) {}
    AcGeScale3d(double x, double y, double z) : sx(x), sy(y), sz(z) {}

    double sx = 1;
    double sy = 1;
    double sz = 1;
};

/// A plane through a point with a normal.
class AcGePlane {
public:
    AcGePlane() = default;
    AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& normal);
    AcGePoint3d pointOnPlane() const { return m_origin; }
    AcGeVector3d normal() const { return m_normal; }

    static const AcGePlane kXYPlane;

private:
    AcGePoint3d m_origin;
    AcGeVector3d m_normal = AcGeVector3d::kZAxis;
};

/// A 4x4 transformation matrix acting on column vectors: p' = M p.
class AcGeMatrix3d {
public:
    AcGeMatrix3d();

    AcGeMatrix3d& setToIdentity();
    bool isEqualTo(const AcGeMatrix3d& m, const AcGeTol& tol = AcGeContext::gTol) const;
    double det() const;
    /// The inverse; the identity when the matrix is singular.
    AcGeMatrix3d inverse() const;
    AcGeMatrix3d& invert();
    AcGeMatrix3d transpose() const;
    /// True for a rotation (or reflection) times one uniform scale.
    bool isUniScaledOrtho(const AcGeTol& tol = AcGeContext::gTol) const;
    /// The largest scale the matrix applies to a unit vector along an axis.
    double scale() const;
    AcGeVector3d translation() const;

    AcGeMatrix3d operator*(const AcGeMatrix3d& m) const;
    AcGeMatrix3d& preMultBy(const AcGeMatrix3d& left);
    AcGeMatrix3d& postMultBy(const AcGeMatrix3d& right);
    double operator()(unsigned row, unsigned column) const { return entry[row][column]; }
    double& operator()(unsigned row, unsigned column) { return entry[row][column]; }

    /// Maps the world coordinate system onto the system with the given origin and axes.
    AcGeMatrix3d& setCoordSystem(const AcGePoint3d& origin, const AcGeVector3d& xAxis,
                                 const AcGeVector3d& yAxis, const AcGeVector3d& zAxis);

    static AcGeMatrix3d translation(const AcGeVector3d& v);
    static AcGeMatrix3d rotation(double angle, const AcGeVector3d& axis,
                                 const AcGePoint3d& center = AcGePoint3d::kOrigin);
    static AcGeMatrix3d scaling(double factor, const AcGePoint3d& center = AcGePoint3d::kOrigin);
    static AcGeMatrix3d scaling(const AcGeScale3d& factors,
                                const AcGePoint3d& center = AcGePoint3d::kOrigin);
    static AcGeMatrix3d mirroring(const AcGePlane& plane);
    static AcGeMatrix3d mirroring(const AcGePoint3d& point);
    /// From the object coordinate system whose Z axis is `normal` to world coordinates.
    static AcGeMatrix3d planeToWorld(const AcGeVector3d& normal);
    static AcGeMatrix3d worldToPlane(const AcGeVector3d& normal);
    static AcGeMatrix3d alignCoordSys(const AcGePoint3d& fromOrigin, const AcGeVector3d& fromXAxis,
                                      const AcGeVector3d& fromYAxis, const AcGeVector3d& fromZAxis,
                                      const AcGePoint3d& toOrigin, const AcGeVector3d& toXAxis,
                                      const AcGeVector3d& toYAxis, const AcGeVector3d& toZAxis);

    static const AcGeMatrix3d kIdentity;

    double entry[4][4];
};

/// A bounded 2D line segment.
class AcGeLineSeg2d {
public:
    AcGeLineSeg2d() = default;
    AcGeLineSeg2d(const AcGePoint2d& start, const AcGePoint2d& end) : m_start(start), m_end(end) {}

    AcGeLineSeg2d& set(const AcGePoint2d& start, const AcGePoint2d& end);
    AcGePoint2d startPoint() const { return m_start; }
    AcGePoint2d endPoint() const { return m_end; }
    AcGePoint2d midPoint() const;
    double length() const;
    AcGeVector2d direction() const;
    /// Shortest distance from `point` to the segment.
    double distanceTo(const AcGePoint2d& point) const;
    /// True when `point` lies on the segment within the tolerance's point distance.
    bool isOn(const AcGePoint2d& point, const AcGeTol& tol = AcGeContext::gTol) const;
    /// The one point two segments share; false when they do not meet, or when they are
    /// parallel (overlapping parallel segments have no single intersection point).
    bool intersectWith(const AcGeLineSeg2d& other, AcGePoint2d& point,
                       const AcGeTol& tol = AcGeContext::gTol) const;

private:
    AcGePoint2d m_start;
    AcGePoint2d m_end;
};

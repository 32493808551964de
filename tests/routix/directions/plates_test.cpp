// The 3D plate list of a drawing that general_project.py writes (plate outlines in and out of
// the XY plane, a back face drawn as its own outline, a plate without symbols), and the 3D
// default direction as a table of cases worked by hand.

#include "directions/Plates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>

#include "dbaccess/DbAccess.h"
#include "host/Host.h"
#include "support/FileSupport.h"
#include "support/ProgramSupport.h"

namespace {

using namespace routix;

std::string Axes(const CPlate3D& plate) {
    std::ostringstream out;
    const auto v = [&](const AcGeVector3d& a) {
        out << "(" << std::lround(a.x) + 0 << "," << std::lround(a.y) + 0 << ","
            << std::lround(a.z) + 0 << ")";
    };
    out << plate.m_strName << " ";
    v(plate.m_xAxis);
    v(plate.m_yAxis);
    v(plate.m_zAxis);
    out << " " << std::lround(plate.m_dAngle * 180 / std::numbers::pi)
        << (plate.m_bBack ? " back" : "");
    return out.str();
}

TEST(PlateList, FromOutlinesAndPlateNames) {
    testsupport::TempDir dir;
    const std::string file = (dir.path() / "plates.dxf").string();
    ASSERT_EQ(testsupport::ShellOutput("/usr/bin/python3 '" GENERAL_PROJECT "' plates '" + file +
                                       "' 2>&1"),
              "");
    std::ostringstream console;
    host::Host::Instance().Reset();
    host::Host::Instance().SetConsole(&console);
    ASSERT_EQ(host::Host::Instance().OpenDocument(file), Acad::eOk);
    CPlateList list;
    ASSERT_TRUE(list.Build(CurrentDatabase()));
    std::string all;
    for (const CPlate3D& plate : list.Plates())
        all += Axes(plate) + "\n";
    // S0 names PL1 but stands outside it: S1's panel decides. PL1-B is drawn: no derived back
    // face of that name. PL3 stands upright: X along its first edge (world X), Z its normal.
    EXPECT_EQ(all,
              "P1_PL1 (1,0,0)(0,1,0)(0,0,1) 0\n"
              "P1_PL1-B (1,0,0)(0,1,0)(0,0,1) 0 back\n"
              "P2_PL3 (1,0,0)(0,0,1)(0,-1,0) 0\n"
              "_PL4 (1,0,0)(0,1,0)(0,0,1) 0\n"
              "P2_PL3-B (-1,0,0)(0,0,1)(0,1,0) 0 back\n"
              "_PL4-B (-1,0,0)(0,1,0)(0,0,-1) 0 back\n");
    ASSERT_NE(list.Find("p2_pl3"), nullptr);
    EXPECT_EQ(list.Find("p2_pl3")->m_strName, "P2_PL3");
    EXPECT_EQ(list.Find("P9_PL1"), nullptr);
    EXPECT_EQ(CPlateList::PlateName("P1", "PL1", true), "P1_PL1-B");
    EXPECT_EQ(CPlateList::PlateName("P1", "PL1-b", true), "P1_PL1-b");
    EXPECT_EQ(CPlateList::PlateName("P1", "PL1", false), "P1_PL1");
    host::Host::Instance().Reset();
    host::Host::Instance().SetConsole(nullptr);
}

// Each case worked from the rule: the reference direction n (the normal, negated for exactly
// one of REVERSE and the project's mirroring, again for the mirrored flag), the letter's
// vector, the rotation in whole degrees, the first plate axis within 45 degrees.
TEST(PlateList, ThreeDimensionalDefaultDirection) {
    CPlate3D turned;  // drawn turned by 90 degrees: X = world +Y, Y = world -X
    turned.m_xAxis = AcGeVector3d(0, 1, 0);
    turned.m_yAxis = AcGeVector3d(-1, 0, 0);
    const double degree = std::numbers::pi / 180;
    const struct {
        char letter;
        double rotation;
        bool reverse, count, flag, side;
        const CPlate3D* plate;
        char expected;
        const char* why;
    } cases[] = {
        {'T', 0, false, false, false, false, nullptr, 'T', "n x perp(n) = +Y, negated: -Y"},
        {'B', 0, false, false, false, false, nullptr, 'B', "+Y"},
        {'L', 0, false, false, false, false, nullptr, 'L', "perp(+Z) = +X"},
        {'R', 0, false, false, false, false, nullptr, 'R', "-X"},
        {'M', 0, false, false, false, false, nullptr, 'M', "n = +Z"},
        {'P', 90 * degree, false, false, false, false, nullptr, 'P', "-Z, never turned"},
        {'T', 90 * degree, false, false, false, false, nullptr, 'L', "-Y turned by 90: +X"},
        {'T', 90.9 * degree, false, false, false, false, nullptr, 'L', "90.9 truncated to 90"},
        {'T', 45 * degree, false, false, false, false, nullptr, 'L', "45: +X comes first"},
        {'T', 180 * degree, false, false, false, false, nullptr, 'B', "-Y turned by 180: +Y"},
        {'L', 0, true, false, false, false, nullptr, 'R', "REVERSE: n = -Z, perp = -X"},
        {'L', 0, false, true, false, false, nullptr, 'R', "mirror count: n = -Z"},
        {'L', 0, false, false, false, true, nullptr, 'R', "side 裏: n = -Z"},
        {'L', 0, true, true, false, false, nullptr, 'L', "both: n stays +Z"},
        {'L', 0, false, false, true, false, nullptr, 'R', "flag: n twice negated, L swapped"},
        {'T', 0, true, false, false, false, nullptr, 'T', "n = -Z: (-Z) x (-X) = +Y, negated"},
        {'T', 0, false, false, false, false, &turned, 'R', "-Y is the plate's -X"},
        {'L', 0, false, false, false, false, &turned, 'T', "+X is the plate's -Y"},
        {'X', 0, false, false, false, false, nullptr, 'X', "no 3D letter: kept"},
        {' ', 0, false, false, false, false, nullptr, ' ', "none"},
    };
    for (const auto& c : cases) {
        Default3DInput input;
        input.letter = c.letter;
        input.rotation = c.rotation;
        input.reverse = c.reverse;
        input.mirroredByCount = c.count;
        input.mirroredFlag = c.flag;
        input.backSideText = c.side;
        input.plate = c.plate;
        EXPECT_EQ(Default3DDirection(input), c.expected) << c.letter << ": " << c.why;
    }
}

}  // namespace

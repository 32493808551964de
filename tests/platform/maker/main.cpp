// Runs the maker tests and checks after each test that every handle the services handed out
// was released again; a test that leaves one makes the run fail and is named.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "services/maker.h"

namespace {

std::vector<std::string> g_leaking;

class ReleaseCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { m_before = zelko::MakerLiveHandles(); }
    void OnTestEnd(const ::testing::TestInfo& test) override {
        if (int left = zelko::MakerLiveHandles() - m_before; left != 0) {
            g_leaking.push_back(std::string(test.test_suite_name()) + "." + test.name() + ": " +
                                std::to_string(left));
        }
    }
    int m_before = 0;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ReleaseCheck);
    int result = RUN_ALL_TESTS();
    for (const auto& test : g_leaking) {
        std::fprintf(stderr, "handles not released by %s\n", test.c_str());
    }
    return g_leaking.empty() ? result : 1;
}

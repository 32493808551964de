// The machine link's own work: frames, hexadecimal values and the read-back scan of the
// receive handler over 1 MB of received text.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "Registers.h"

namespace {

using namespace kablos;

// A wire length frame as the job builds it: millimetres scaled to tenths, checked, cut.
void BM_RegisterFrame(benchmark::State& state) {
    double millimetres = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RegisterFrame(FrameReg::WireLength, millimetres));
        millimetres += 1.5;
        if (millimetres > 100000)
            millimetres = 0;
    }
}
BENCHMARK(BM_RegisterFrame);

void BM_HexToDec(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(HexToDec("0000303C"));
}
BENCHMARK(BM_HexToDec);

// What a machine sends in a long run: read-backs, echoes of the start, completions and noise,
// cut into the chunks the receive handler gets.
std::string ReceivedText(std::size_t size) {
    const char* lines[] = {"R1002003C\r\n", "R10220014\r\n", "R10433039\r\n", "G0001\r\n",
                           "SC\r\n",        "R0F630002\r\n", "?\r\n",         "R0ED20003\r\n"};
    std::mt19937 random(1);
    std::string text;
    while (text.size() < size)
        text += lines[random() % 8];
    return text;
}

void BM_ReadBackScan(benchmark::State& state) {
    const std::string text = ReceivedText(1 << 20);
    constexpr std::size_t kChunk = 64;  // a few answers per receive event
    std::size_t confirmed = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at < text.size(); at += kChunk) {
            ScanReadBacks(std::string_view(text).substr(at, kChunk), [&](const ReadBack& readBack) {
                if (SameRegisterValue(readBack.reg, 0, "W10023C", readBack.command))
                    ++confirmed;
            });
        }
    }
    benchmark::DoNotOptimize(confirmed);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadBackScan)->Unit(benchmark::kMillisecond);

}  // namespace

// libFuzzer target: the casting data reader on any bytes. Built with clang and -DNIVORA_FUZZ=ON:
//   cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DNIVORA_FUZZ=ON
//   ninja -C build/fuzz casting_fuzz && build/fuzz/kablos/casting_fuzz -max_total_time=180

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "CastingData.h"
#include "common/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kablos::CastingData casting;
    kablos::CastingReadResult result =
        kablos::ParseCastingText(common::FromCodePageLossy(bytes), casting);
    // Every wire belongs to a set that exists.
    for (const kablos::CastingWire& wire : casting.wires) {
        if (wire.SetIndex < 0 || static_cast<std::size_t>(wire.SetIndex) >= casting.sets.size())
            __builtin_trap();
    }
    (void)result;
    return 0;
}

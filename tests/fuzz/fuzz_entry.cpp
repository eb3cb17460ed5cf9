// One libFuzzer program per target: KORVALEN_FUZZ_TARGET names its body.
#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

namespace {

Fuzz::TBody BodyNamed(std::string_view name)
{
    for (const Fuzz::TTarget& target : Fuzz::Targets)
        if (target.name == name) return target.body;
    std::fprintf(stderr, "no fuzz target named %.*s\n", int(name.size()), name.data());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Fuzz::TBody body = BodyNamed(KORVALEN_FUZZ_TARGET);
    body({data, size});
    return 0;
}

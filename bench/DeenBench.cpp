// Times quire-avs's native Deen and Undot stages on one core: 720x576 4:2:0 frames of noisy
// content, Quire's parameters (radius 1, thresholds 10 and 12). Prints frames a second and fails
// when Deen makes fewer than 60.
#include "NativeFilters.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

using namespace quire::avs;

namespace {

template <typename F>
double framesPerSecond(int frames, F&& onePass) {
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f)
        onePass();
    return frames / std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main() {
    constexpr int w = 720, h = 576, frames = 300;
    const std::size_t luma = static_cast<std::size_t>(w) * h, chroma = luma / 4;
    std::vector<std::uint8_t> in(luma + 2 * chroma), out(in.size());
    std::mt19937 random(1);
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<std::uint8_t>(96 + (i % w) / 12 + random() % 24);
    const double deen = framesPerSecond(frames, [&] {
        deenPlane(in.data(), out.data(), w, h, 1, 10);
        deenPlane(in.data() + luma, out.data() + luma, w / 2, h / 2, 1, 12);
        deenPlane(in.data() + luma + chroma, out.data() + luma + chroma, w / 2, h / 2, 1, 12);
    });
    const double undot = framesPerSecond(frames, [&] {
        undotPlane(in.data(), out.data(), w, h);
        undotPlane(in.data() + luma, out.data() + luma, w / 2, h / 2);
        undotPlane(in.data() + luma + chroma, out.data() + luma + chroma, w / 2, h / 2);
    });
    std::printf(
        "quire-avs native stages at 720x576, one core: Deen %.0f frames/s, Undot %.0f frames/s (Deen needs 60): %s\n",
        deen, undot, deen >= 60 ? "PASS" : "FAIL");
    return deen >= 60 ? 0 : 1;
}

#include "platform/speech/resampler.h"

#include <algorithm>
#include <cmath>

namespace speech {

CResampler::CResampler(int nFrom, int nTo)
    : m_nFrom(nFrom), m_nTo(nTo), m_dStep(static_cast<double>(nFrom) / static_cast<double>(nTo)) {
  if (IsIdentity()) return;
  // Cut off a little below the lower of the two Nyquist frequencies.
  const double cutoff = 0.95 * std::min(1.0, 1.0 / m_dStep);
  constexpr int kTaps = 2 * kHalfTaps;
  m_table.resize(static_cast<std::size_t>((kPhases + 1) * kTaps));
  for (int p = 0; p <= kPhases; ++p) {
    const double frac = static_cast<double>(p) / kPhases;
    double sum = 0;
    for (int k = 0; k < kTaps; ++k) {
      // Tap k weighs input sample (floor(pos) - kHalfTaps + 1 + k).
      const double x = static_cast<double>(k - kHalfTaps + 1) - frac;
      const double sinc = x == 0 ? 1.0 : std::sin(M_PI * cutoff * x) / (M_PI * cutoff * x);
      const double window = 0.5 + 0.5 * std::cos(M_PI * x / (kHalfTaps + 1));
      const double w = cutoff * sinc * window;
      m_table[static_cast<std::size_t>(p * kTaps + k)] = static_cast<float>(w);
      sum += w;
    }
    // Unity gain at every phase: no ripple on steady sound.
    for (int k = 0; k < kTaps; ++k) m_table[static_cast<std::size_t>(p * kTaps + k)] /= static_cast<float>(sum);
  }
  m_in.assign(kHalfTaps, 0.0f);
}

void CResampler::Push(const std::int16_t* pIn, std::size_t n, std::vector<std::int16_t>& out) {
  if (IsIdentity()) {
    out.insert(out.end(), pIn, pIn + n);
    return;
  }
  m_in.insert(m_in.end(), pIn, pIn + n);
  Produce(out);
}

void CResampler::Flush(std::vector<std::int16_t>& out) {
  if (IsIdentity()) return;
  m_in.insert(m_in.end(), kHalfTaps + 1, 0.0f);
  Produce(out);
  m_in.assign(kHalfTaps, 0.0f);
  m_dPos = kHalfTaps;
}

std::uint64_t CResampler::ToOutput(std::uint64_t nInput) const {
  return static_cast<std::uint64_t>(std::llround(static_cast<double>(nInput) / m_dStep));
}

void CResampler::Produce(std::vector<std::int16_t>& out) {
  constexpr int kTaps = 2 * kHalfTaps;
  // Stop where the taps would run past the input.
  const double end = static_cast<double>(m_in.size()) - kHalfTaps;
  while (m_dPos < end) {
    const double fl = std::floor(m_dPos);
    const auto base = static_cast<std::size_t>(fl) - kHalfTaps + 1;
    const int phase = static_cast<int>((m_dPos - fl) * kPhases + 0.5);
    const float* taps = &m_table[static_cast<std::size_t>(phase * kTaps)];
    float acc = 0;
    for (int k = 0; k < kTaps; ++k) acc += taps[k] * m_in[base + static_cast<std::size_t>(k)];
    out.push_back(static_cast<std::int16_t>(std::clamp(std::lround(acc), -32768L, 32767L)));
    m_dPos += m_dStep;
  }
  // Keep the history the next output needs.
  const auto keep = static_cast<std::size_t>(std::floor(m_dPos)) - kHalfTaps;
  if (keep > 4096) {
    m_in.erase(m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(keep));
    m_dPos -= static_cast<double>(keep);
  }
}

}  // namespace speech

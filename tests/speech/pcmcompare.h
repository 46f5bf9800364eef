#pragma once
// Comparing synthesised speech. The synthesiser's output differs by a few
// samples from run to run (its pitch flutter carries over), so texts are
// compared by length and by the shape of their loudness over time.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace speech_testing {

using Pcm = std::vector<std::int16_t>;

// Loudness every 10 ms.
inline std::vector<double> Envelope(const Pcm& pcm, std::size_t from = 0, std::size_t to = SIZE_MAX,
                                    int nRate = 22050) {
  const std::size_t kFrame = static_cast<std::size_t>(nRate / 100);
  to = std::min(to, pcm.size());
  std::vector<double> env;
  for (std::size_t i = from; i + kFrame <= to; i += kFrame) {
    double sum = 0;
    for (std::size_t j = i; j < i + kFrame; ++j) sum += std::abs(static_cast<double>(pcm[j]));
    env.push_back(sum / kFrame);
  }
  return env;
}

// Pearson correlation of two envelopes over their common length: 1 for the
// same speech, near 0 for unrelated speech.
inline double Similarity(const std::vector<double>& a, const std::vector<double>& b) {
  const std::size_t n = std::min(a.size(), b.size());
  if (n < 2) return 0;
  double ma = 0, mb = 0;
  for (std::size_t i = 0; i < n; ++i) ma += a[i], mb += b[i];
  ma /= static_cast<double>(n);
  mb /= static_cast<double>(n);
  double sab = 0, saa = 0, sbb = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sab += (a[i] - ma) * (b[i] - mb);
    saa += (a[i] - ma) * (a[i] - ma);
    sbb += (b[i] - mb) * (b[i] - mb);
  }
  return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

// How much pcm[from, to) sounds like ref: the best Similarity when the
// stretch may start up to 100 ms earlier or later. Within one sentence two
// runs differ only by such a shift; each sentence adds its own, so compare
// sentence by sentence.
inline double Resembles(const Pcm& pcm, std::size_t from, std::size_t to, const Pcm& ref, int nRate = 22050) {
  const std::vector<double> want = Envelope(ref, 0, SIZE_MAX, nRate);
  double best = -1;
  const long reach = nRate / 10;
  for (long shift = -reach; shift <= reach; shift += reach / 40) {
    const long start = static_cast<long>(from) + shift;
    if (start < 0) continue;
    const std::size_t end =
        to == SIZE_MAX ? SIZE_MAX : static_cast<std::size_t>(static_cast<long>(to) + shift);
    best = std::max(best, Similarity(Envelope(pcm, static_cast<std::size_t>(start), end, nRate), want));
  }
  return best;
}
inline double Resembles(const Pcm& pcm, const Pcm& ref, int nRate = 22050) {
  return Resembles(pcm, 0, SIZE_MAX, ref, nRate);
}

inline int Peak(const Pcm& pcm, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  int peak = 0;
  for (std::size_t i = from; i < std::min(to, pcm.size()); ++i) peak = std::max(peak, std::abs(int{pcm[i]}));
  return peak;
}

inline double Ratio(std::size_t a, std::size_t b) { return static_cast<double>(a) / static_cast<double>(b); }

}  // namespace speech_testing

#pragma once
// Changes the sample rate of a stream of 16-bit PCM, so one text read by
// two synthesisers with different rates plays through one sink. Band-limited
// (windowed sinc), so going down does not alias.
#include <cstdint>
#include <vector>

namespace speech {

class CResampler {
 public:
  CResampler(int nFrom, int nTo);
  bool IsIdentity() const { return m_nFrom == m_nTo; }
  // Appends what the input so far gives to out.
  void Push(const std::int16_t* pIn, std::size_t n, std::vector<std::int16_t>& out);
  // The rest, as if silence followed; the resampler starts afresh after it.
  void Flush(std::vector<std::int16_t>& out);
  // A position in input samples as one in output samples.
  std::uint64_t ToOutput(std::uint64_t nInput) const;

 private:
  void Produce(std::vector<std::int16_t>& out);

  static constexpr int kHalfTaps = 16;
  static constexpr int kPhases = 256;
  int m_nFrom;
  int m_nTo;
  double m_dStep;                   // input samples per output sample
  std::vector<float> m_table;       // kPhases + 1 rows of 2 * kHalfTaps taps
  std::vector<float> m_in;          // input not yet wholly used, with history
  double m_dPos = kHalfTaps;        // the next output's place in m_in
};

}  // namespace speech

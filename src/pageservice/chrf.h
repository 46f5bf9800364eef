#pragma once
// chrF: how close translations are to their references, by character
// n-grams (whitespace ignored). Corpus statistics are summed before the
// score, so short sentences do not weigh more than long ones.
#include <QString>

#include <array>
#include <cstddef>

namespace pageservice {

class CChrF {
 public:
  static constexpr int kMaxOrder = 6;
  static constexpr double kBeta = 2;

  void Add(const QString& hypothesis, const QString& reference);
  // 0-100; 0 before anything was added.
  double Score() const;
  std::size_t Count() const { return m_nPairs; }

 private:
  struct Order {
    double matched = 0;
    double hypothesis = 0;
    double reference = 0;
  };
  std::array<Order, kMaxOrder> m_orders{};
  std::size_t m_nPairs = 0;
};

}  // namespace pageservice

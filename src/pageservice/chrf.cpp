#include "pageservice/chrf.h"

#include <QHash>
#include <QList>

#include <algorithm>

namespace pageservice {

namespace {

QList<char32_t> Characters(const QString& s) {
  QList<char32_t> out;
  for (const char32_t c : s.toUcs4()) {
    if (!QChar::isSpace(c)) out.push_back(c);
  }
  return out;
}

QHash<QList<char32_t>, int> NGrams(const QList<char32_t>& chars, int n) {
  QHash<QList<char32_t>, int> grams;
  for (qsizetype i = 0; i + n <= chars.size(); ++i) ++grams[chars.mid(i, n)];
  return grams;
}

}  // namespace

void CChrF::Add(const QString& hypothesis, const QString& reference) {
  const QList<char32_t> hyp = Characters(hypothesis);
  const QList<char32_t> ref = Characters(reference);
  for (int n = 1; n <= kMaxOrder; ++n) {
    const auto h = NGrams(hyp, n);
    const auto r = NGrams(ref, n);
    Order& order = m_orders[static_cast<std::size_t>(n - 1)];
    for (auto it = h.cbegin(); it != h.cend(); ++it) {
      order.hypothesis += it.value();
      order.matched += std::min(it.value(), r.value(it.key(), 0));
    }
    for (const int count : r) order.reference += count;
  }
  ++m_nPairs;
}

double CChrF::Score() const {
  double precision = 0;
  double recall = 0;
  int orders = 0;
  for (const Order& order : m_orders) {
    // An order neither side reaches (very short sentences) does not count.
    if (order.hypothesis == 0 && order.reference == 0) continue;
    precision += order.hypothesis > 0 ? order.matched / order.hypothesis : 0;
    recall += order.reference > 0 ? order.matched / order.reference : 0;
    ++orders;
  }
  if (orders == 0) return 0;
  precision /= orders;
  recall /= orders;
  const double b2 = kBeta * kBeta;
  if (precision + recall == 0) return 0;
  return 100 * (1 + b2) * precision * recall / (b2 * precision + recall);
}

}  // namespace pageservice

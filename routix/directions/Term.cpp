#include "directions/Term.h"

#include <algorithm>
#include <numeric>

#include "services/numtext.h"

namespace routix {

int CompareTerms(const CTerm& a, const CTerm& b) {
    if (int c = zelko::NaturalCompare(a.m_strTag, b.m_strTag); c != 0)
        return c;
    if (int c = zelko::NaturalCompare(a.m_strUnit, b.m_strUnit); c != 0)
        return c;
    if (int c = zelko::NaturalCompare(a.m_strConnector, b.m_strConnector); c != 0)
        return c;
    return zelko::NaturalCompare(a.m_strTerminalNo, b.m_strTerminalNo);
}

void SortTerms(std::vector<CTerm>& terms) {
    std::vector<std::size_t> order(terms.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = CompareTerms(terms[a], terms[b]);
        return c != 0 ? c < 0 : a < b;
    });
    std::vector<CTerm> sorted;
    sorted.reserve(terms.size());
    for (std::size_t index : order)
        sorted.push_back(std::move(terms[index]));
    terms = std::move(sorted);

    std::size_t shown = 0;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        terms[i].m_duplicates.clear();
        if (i > 0 && CompareTerms(terms[shown], terms[i]) == 0) {
            terms[i].m_bShown = false;
            terms[shown].m_duplicates.push_back(static_cast<int>(i));
        } else {
            terms[i].m_bShown = true;
            shown = i;
        }
    }
}

}  // namespace routix

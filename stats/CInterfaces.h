// An ordered collection of interface rows, addressed by 1-based position.
#pragma once

#include "CInterface.h"

#include <memory>
#include <vector>

class CInterfaces {
public:
    using Element = std::shared_ptr<CInterface>;
    using const_iterator = std::vector<Element>::const_iterator;

    // Appends the object without a key and returns it; the caller's variable
    // is emptied, so a caller that reuses it gets a new object next time.
    Element Add(Element& objInterface);

    // The element at 1-based position vntIndexKey; std::out_of_range outside
    // 1 to Count().
    Element item(LONG vntIndexKey) const;

    LONG Count() const { return static_cast<LONG>(m_col.size()); }

    // Takes the element at 1-based position vntIndexKey out of the collection.
    void Remove(LONG vntIndexKey);

    // The elements in collection order.
    struct Enumerator {
        const_iterator first, last;
        const_iterator begin() const { return first; }
        const_iterator end() const { return last; }
    };
    Enumerator NewEnum() const { return {m_col.begin(), m_col.end()}; }
    const_iterator begin() const { return m_col.begin(); }
    const_iterator end() const { return m_col.end(); }

    // Room for n elements, so a large table fills without regrowing.
    void Reserve(std::size_t n) { m_col.reserve(n); }

private:
    std::size_t Position(LONG vntIndexKey) const;
    std::vector<Element> m_col;
};

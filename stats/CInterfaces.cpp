#include "CInterfaces.h"

#include <stdexcept>

CInterfaces::Element CInterfaces::Add(Element& objInterface)
{
    m_col.push_back(objInterface);
    Element added = std::move(objInterface);
    objInterface.reset();
    return added;
}

std::size_t CInterfaces::Position(LONG vntIndexKey) const
{
    if (vntIndexKey < 1 || static_cast<std::size_t>(vntIndexKey) > m_col.size())
        throw std::out_of_range("Invalid procedure call or argument");
    return static_cast<std::size_t>(vntIndexKey) - 1;
}

CInterfaces::Element CInterfaces::item(LONG vntIndexKey) const
{
    return m_col[Position(vntIndexKey)];
}

void CInterfaces::Remove(LONG vntIndexKey)
{
    m_col.erase(m_col.begin() + static_cast<std::ptrdiff_t>(Position(vntIndexKey)));
}

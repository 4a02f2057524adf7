#include "ImageList.h"

#include <stdexcept>

void ImageList::Add(const QString& path)
{
    pictures_.push_back(std::make_unique<HICON__>(HICON__{QIcon(path)}));
}

HICON ImageList::ExtractIcon(int index) const
{
    if (index < 1 || index > Count())
        throw std::out_of_range("Index out of bounds");
    return pictures_[static_cast<std::size_t>(index - 1)].get();
}

int ImageList::IndexOf(HICON icon) const
{
    for (std::size_t i = 0; i < pictures_.size(); ++i)
        if (pictures_[i].get() == icon)
            return static_cast<int>(i + 1);
    return 0;
}

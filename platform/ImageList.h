// A list of pictures addressed by a 1-based index, each with an icon handle
// that stays valid as long as the list lives.
#pragma once

#include "User32.h"

#include <QString>
#include <memory>
#include <vector>

class ImageList {
public:
    // Appends the picture read from `path` (a resource path works), together
    // with its companions drawn at larger scales (path@2x, path@3x, ...), as
    // one icon of several sizes.
    void Add(const QString& path);
    int Count() const { return static_cast<int>(pictures_.size()); }
    // The icon handle of picture `index` (1 to Count()).
    HICON ExtractIcon(int index) const;
    // The 1-based index of the picture behind `icon`, 0 if it is none of ours.
    int IndexOf(HICON icon) const;

private:
    std::vector<std::unique_ptr<HICON__>> pictures_;
};

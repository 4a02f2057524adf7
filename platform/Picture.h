// Pictures drawn for more than one screen density: NAME.png at 1x, and beside
// it NAME@2x.png (NAME@3x.png, ...) with n times as many pixels a side.
#pragma once

#include <QPixmap>
#include <QString>

// The name of the picture drawn at `scale` for the 1x picture at `path`
// ("dir/light01.png", 2 gives "dir/light01@2x.png"); `path` itself at 1.
QString PictureAtScale(const QString& path, int scale);

// The picture at `path` as drawn for the densest screen there is: its @Nx
// companion (device pixel ratio N) when the screens need more than 1x and one
// exists, else the 1x picture. Its logical size is the 1x picture's either way.
QPixmap LoadPicture(const QString& path);

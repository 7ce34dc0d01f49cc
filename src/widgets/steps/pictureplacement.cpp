#include "pictureplacement.h"

namespace PicturePlacement {

QRect place(QSize picture, QSize client)
{
    QRect place(QPoint(0, 0), picture);
    if (picture.height() <= 200)
        place.moveTop((client.height() - picture.height()) / 2);
    else
        place.setRect(place.x(), 10, place.width(), picture.height() + 10);
    if (picture.width() <= 330)
        place.moveLeft((client.width() - picture.width()) / 2);
    else
        place.setRect(10, place.y(), picture.width() + 10, place.height());
    return place;
}

} // namespace PicturePlacement

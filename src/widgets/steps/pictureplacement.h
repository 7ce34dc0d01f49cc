#pragma once

#include <QRect>
#include <QSize>

// Where the page image's preview goes in its scroll box: small pictures are centred, large
// ones sit 10 pixels from the top-left corner with 10 pixels to spare beyond their far edges.
namespace PicturePlacement {

// The scroll box of step 3 is 362 by 208 with a 2-pixel sunken border.
inline constexpr QSize kImageBoxClient(358, 204);

QRect place(QSize picture, QSize client = kImageBoxClient);

} // namespace PicturePlacement

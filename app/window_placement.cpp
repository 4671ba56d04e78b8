#include "app/window_placement.h"

#include <algorithm>

namespace varnelle {

QSize client_size(QSize outer, QMargins frame, QSize least) {
  return QSize(outer.width() - frame.left() - frame.right(),
               outer.height() - frame.top() - frame.bottom())
      .expandedTo(least);
}

QPoint centred_position(QRect available, QSize outer) {
  return QPoint(available.left() + std::max(0, (available.width() - outer.width()) / 2),
                available.top() + std::max(0, (available.height() - outer.height()) / 2));
}

}  // namespace varnelle

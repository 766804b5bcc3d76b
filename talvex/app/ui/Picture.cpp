#include "Picture.h"

#include <QPainter>

Picture::Picture(const QString& resource, QWidget* parent) : QWidget(parent), renderer_(resource) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize Picture::sizeHint() const { return renderer_.isValid() ? renderer_.defaultSize() : QSize(200, 120); }

int Picture::heightForWidth(int w) const {
  const QSize s = sizeHint();
  return s.width() > 0 ? w * s.height() / s.width() : w;
}

void Picture::paintEvent(QPaintEvent*) {
  if (!renderer_.isValid()) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QSizeF size = renderer_.defaultSize();
  size.scale(QSizeF(width(), height()), Qt::KeepAspectRatio);
  const QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
  renderer_.render(&p, target);
}

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
  const qreal ratio = devicePixelRatioF();
  if (cache_.size() != size() * ratio) {
    cache_ = QPixmap(size() * ratio);
    cache_.setDevicePixelRatio(ratio);
    cache_.fill(Qt::transparent);
    QPainter p(&cache_);
    p.setRenderHint(QPainter::Antialiasing);
    QSizeF fit = renderer_.defaultSize();
    fit.scale(QSizeF(width(), height()), Qt::KeepAspectRatio);
    renderer_.render(&p, QRectF((width() - fit.width()) / 2, (height() - fit.height()) / 2, fit.width(), fit.height()));
  }
  QPainter(this).drawPixmap(0, 0, cache_);
}

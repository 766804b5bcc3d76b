// A picture from the program's resources (SVG), drawn to fit its widget with
// its proportions kept.
#pragma once

#include <QPixmap>
#include <QSvgRenderer>
#include <QWidget>

class Picture : public QWidget {
  Q_OBJECT
 public:
  explicit Picture(const QString& resource, QWidget* parent = nullptr);
  QSize sizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int w) const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QSvgRenderer renderer_;
  QPixmap cache_;  // the picture at the current size: repaints only copy it
};

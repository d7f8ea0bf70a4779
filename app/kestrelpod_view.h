#pragma once

#include <QPixmap>
#include <QWidget>

// The main window's view: the bank's logo, unscaled, in the middle; a picture larger than the view is cut evenly
// on both sides. Without a picture it paints nothing.
class CKestrelpodView : public QWidget {
    Q_OBJECT

public:
    explicit CKestrelpodView(QWidget* parent);

    // A null picture leaves the view blank.
    void set_picture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }
    // Where the picture's top-left corner goes.
    QPoint picture_origin() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

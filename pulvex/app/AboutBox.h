#pragma once
// The about box and its picture window, which stamps a small picture wherever it is clicked
// (left: one, right: the other) until it is next painted whole.

#include <QDialog>
#include <QImage>
#include <QRegion>
#include <QVector>

namespace pulvex_app {

inline constexpr const char* kAboutVersion = "Pulvex Version 2.0, Win32 Edition";

class QuenbyPicture : public QWidget {
    Q_OBJECT
public:
    explicit QuenbyPicture(QWidget* parent = nullptr);

    struct Stamp {
        QPoint at; // top-left corner: where the mouse was
        bool right = false;
    };
    const QVector<Stamp>& stamps() const { return stamps_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QImage stamp128_;
    QImage stamp129_;
    QVector<Stamp> stamps_;
    QRegion stampArea_; // what the stamps cover
};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* mainWindow);
    QuenbyPicture* picture() const { return picture_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* mainWindow_;
    QuenbyPicture* picture_;
};

} // namespace pulvex_app

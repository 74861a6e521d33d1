#include "EditWatch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace klangor {
namespace {

// A spin box being typed into: its changes wait for editingFinished, so a "45" typed does not
// send a voice with 4 first. Steps (arrows, wheel, mouse clicks, up/down keys) commit at once.
class TypingWatch : public QObject {
public:
    using QObject::QObject;
    bool typing = false;  // the last key typed into the box, and no step since
    bool pending = false; // a value typed but not yet committed

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Digits, signs and corrections type; the step keys step. Enter, Tab and the like
            // leave it as it is: they finish the typing, which editingFinished then commits.
            const int code = key->key();
            if ((!key->text().isEmpty() && key->text().front().isPrint()) ||
                code == Qt::Key_Backspace || code == Qt::Key_Delete)
                typing = true;
            else if (code == Qt::Key_Up || code == Qt::Key_Down || code == Qt::Key_PageUp ||
                     code == Qt::Key_PageDown)
                typing = false;
        } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel) {
            typing = false;
        }
        return false;
    }
};

using Committed = std::function<void(QObject* control)>;

void watchSpinBox(QSpinBox* box, QWidget* page, const Committed& committed) {
    auto* watch = new TypingWatch(box);
    box->installEventFilter(watch);
    if (QLineEdit* edit = box->findChild<QLineEdit*>()) edit->installEventFilter(watch);
    QObject::connect(box, &QSpinBox::valueChanged, page, [box, watch, committed] {
        watch->pending = watch->typing;
        if (!watch->typing) committed(box);
    });
    QObject::connect(box, &QSpinBox::editingFinished, page, [box, watch, committed] {
        watch->typing = false;
        if (!watch->pending) return;
        watch->pending = false;
        committed(box);
    });
}

} // namespace

void watchEdits(QWidget* page, std::function<void(QObject* control)> committed) {
    const auto on = [&](QObject* control) { return [control, committed] { committed(control); }; };
    for (QSpinBox* box : page->findChildren<QSpinBox*>()) watchSpinBox(box, page, committed);
    for (QAbstractButton* button : page->findChildren<QAbstractButton*>())
        if (!qobject_cast<QPushButton*>(button))
            QObject::connect(button, &QAbstractButton::clicked, page, on(button));
    for (QComboBox* combo : page->findChildren<QComboBox*>())
        QObject::connect(combo, &QComboBox::activated, page, on(combo));
    for (QListWidget* list : page->findChildren<QListWidget*>())
        QObject::connect(list, &QListWidget::currentRowChanged, page, on(list));
    for (QTableWidget* table : page->findChildren<QTableWidget*>())
        QObject::connect(table, &QTableWidget::itemChanged, page, on(table));
    for (QLineEdit* edit : page->findChildren<QLineEdit*>())
        if (!qobject_cast<QAbstractSpinBox*>(edit->parentWidget()) &&
            !qobject_cast<QComboBox*>(edit->parentWidget()))
            QObject::connect(edit, &QLineEdit::editingFinished, page, on(edit));
}

} // namespace klangor

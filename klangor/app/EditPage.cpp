#include "EditPage.h"

#include "EditWatch.h"
#include "Session.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTableWidget>

namespace klangor {

int steppedValue(StepRule rule, int value, int minimum, int maximum, Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        if (rule == StepRule::Snap) return value < minimum + 10 ? minimum : value - 10;
        return value > minimum + 9 ? value - 10 : value;
    }
    if (button == Qt::RightButton) {
        if (rule == StepRule::Snap) return value > maximum - 10 ? maximum : value + 10;
        return value < maximum - 9 ? value + 10 : value;
    }
    return value;
}

namespace {

// Watches a spin box and its text field. A press steps the box; the press then goes no further,
// except a left press in the text field, which still places the cursor.
class SpinStepper : public QObject {
public:
    SpinStepper(QSpinBox* box, StepRule rule) : QObject(box), box_(box), rule_(rule) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ContextMenu:
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            break;
        case QEvent::MouseButtonRelease:
            // The release of a press that was swallowed must not reach the page either.
            return static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton;
        default:
            return false;
        }
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == box_ && mouse->button() == Qt::LeftButton && onArrows(mouse->position()))
            return false;
        box_->setValue(
            steppedValue(rule_, box_->value(), box_->minimum(), box_->maximum(), mouse->button()));
        if (mouse->button() == Qt::LeftButton && watched != box_) return false;
        if (mouse->button() == Qt::LeftButton) box_->setFocus(Qt::MouseFocusReason);
        return true;
    }

private:
    bool onArrows(const QPointF& position) const {
        QStyleOptionSpinBox option;
        option.initFrom(box_);
        option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        option.buttonSymbols = box_->buttonSymbols();
        option.frame = box_->hasFrame();
        const QStyle::SubControl hit = box_->style()->hitTestComplexControl(
            QStyle::CC_SpinBox, &option, position.toPoint(), box_);
        return hit == QStyle::SC_SpinBoxUp || hit == QStyle::SC_SpinBoxDown;
    }

    QSpinBox* box_;
    StepRule rule_;
};

// A press of any other button on a list's entries would pick the entry under the mouse (and in an
// open drop-down list, its release would choose it), but the right button means "send" on the
// pages and never changes a value. So only the left button reaches the lists.
class LeftButtonOnly : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton;
        case QEvent::MouseMove: {
            const Qt::MouseButtons held = static_cast<QMouseEvent*>(event)->buttons();
            return held != Qt::NoButton && !(held & Qt::LeftButton);
        }
        default:
            return false;
        }
    }
};

// Installed last, so that the filter runs before a drop-down list's own filter on its view.
void keepListsToTheLeftButton(QWidget* page) {
    const QString name = "klangorLeftButtonOnly";
    auto* filter = page->findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
    if (!filter) {
        filter = new LeftButtonOnly(page);
        filter->setObjectName(name);
    }
    for (QComboBox* combo : page->findChildren<QComboBox*>())
        combo->view(); // makes the drop-down list, which is created on first use otherwise
    for (QAbstractItemView* view : page->findChildren<QAbstractItemView*>())
        view->viewport()->installEventFilter(filter);
}

// What a control shows, in a form that compares; nothing for what is not a control.
QVariant shownValue(const QObject* control) {
    if (const auto* box = qobject_cast<const QSpinBox*>(control)) return box->value();
    if (const auto* check = qobject_cast<const QCheckBox*>(control))
        return static_cast<int>(check->checkState());
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->isChecked();
    if (const auto* group = qobject_cast<const QButtonGroup*>(control)) return group->checkedId();
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return QVariantList{combo->currentIndex(), combo->currentText()};
    if (const auto* list = qobject_cast<const QListWidget*>(control)) return list->currentRow();
    if (const auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
    if (const auto* table = qobject_cast<const QTableWidget*>(control)) {
        QStringList texts;
        for (int row = 0; row < table->rowCount(); ++row)
            for (int column = 0; column < table->columnCount(); ++column) {
                const QTableWidgetItem* item = table->item(row, column);
                texts << (item ? item->text() : QString());
            }
        return texts;
    }
    return {};
}

} // namespace

void attachStepping(QSpinBox* box, StepRule rule) {
    auto* stepper = new SpinStepper(box, rule);
    box->setContextMenuPolicy(Qt::PreventContextMenu);
    box->installEventFilter(stepper);
    if (QLineEdit* edit = box->findChild<QLineEdit*>()) {
        edit->setContextMenuPolicy(Qt::PreventContextMenu);
        edit->installEventFilter(stepper);
    }
}

EditPage::EditPage(Session& session, QWidget* parent) : QWidget(parent), session_(session) {}

morvex::MorvexState& EditPage::state() const {
    return session_.state();
}

EditPage::~EditPage() {
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
}

void EditPage::InitVars() {
    if (!watching_) {
        watching_ = true;
        watchEdits(this, [this](QObject* control) { valueCommitted(control); });
        // Connected after the page's own handlers, so this runs once the button has done its work.
        for (QPushButton* button : findChildren<QPushButton*>())
            connect(button, &QPushButton::clicked, this, [this, button] { buttonClicked(button); });
    }
    fillingControls_ = true;
    fillControls();
    fillingControls_ = false;
    shown_.clear();
    for (const QObject* child : findChildren<QObject*>()) recordShown(child);
}

void EditPage::StoreVars() {
    ChVars();
    for (const QObject* child : findChildren<QObject*>()) recordShown(child);
}

void EditPage::recordShown(const QObject* control) {
    if (QVariant value = shownValue(control); value.isValid()) shown_.insert(control, value);
}

bool EditPage::edited(std::initializer_list<const QObject*> controls) const {
    for (const QObject* control : controls) {
        const auto shown = shown_.constFind(control);
        if (shown == shown_.constEnd() || *shown != shownValue(control)) return true;
    }
    return false;
}

void EditPage::RMouse12(Qt::MouseButton button) {
    if (button != Qt::RightButton) return;
    StoreVars();
    sendVoice();
}

namespace {

// How a step is named in the Edit menu: a name the page gave it, the control's accessible name, or
// what it shows.
QString stepName(const QObject* control) {
    if (const QVariant named = control->property("klangorStep"); named.isValid())
        return named.toString();
    if (const auto* widget = qobject_cast<const QWidget*>(control)) {
        if (!widget->accessibleName().isEmpty()) return widget->accessibleName();
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            return button->text().remove('&').trimmed();
    }
    return "Edit";
}

} // namespace

void EditPage::valueCommitted(QObject* control) {
    if (fillingControls_ || !storesEachCommit()) return;
    pendingStep_ = stepName(control);
    if (storePending_) return;
    storePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            storePending_ = false;
            StoreVars();
            session_.recordChange(pendingStep_);
            if (session_.midiSettings().sendWhileEditing) session_.sendEditedVoice();
        },
        Qt::QueuedConnection);
}

void EditPage::buttonClicked(QObject* button) {
    // A button that only fills controls (Zero Level, Copy B>D) has made commitments whose store
    // is still to come: that store is the button's step.
    if (storePending_)
        pendingStep_ = stepName(button);
    else
        session_.recordChange(stepName(button));
}

void EditPage::sendVoice() {
    session_.sendVoice();
}

void EditPage::sendChangedVoice(const std::function<void()>& change) {
    StoreVars();
    change();
    InitVars();
    sendVoice();
}

void EditPage::showReport(const morvex::Report& report) {
    session_.report(report);
}

// The background is the page itself and the plain widgets that only arrange controls; anything
// inside a label, a group box or a control (a list's viewport, a spin box's text field) is not.
bool EditPage::isBackground(const QPoint& position) const {
    for (const QWidget* widget = childAt(position); widget && widget != this;
         widget = widget->parentWidget()) {
        if (widget->metaObject() != &QWidget::staticMetaObject &&
            !widget->property("klangorBackground").toBool())
            return false;
    }
    return true;
}

void EditPage::closeEvent(QCloseEvent* event) {
    StoreVars();
    session_.recordChange("Edit");
    QWidget::closeEvent(event);
    emit closed();
}

void EditPage::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (isBackground(event->position().toPoint())) RMouse12(event->button());
}

void EditPage::contextMenuEvent(QContextMenuEvent* event) {
    event->accept(); // the right button sends; it never opens a menu
}

void EditPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    keepListsToTheLeftButton(this);
}

QPushButton* EditPage::namedButton(const char* name, const char* caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    return button;
}

} // namespace klangor

#pragma once
// What every editor page shares: filling its controls from the voice (InitVars), storing them back
// (ChVars), sending on a right click on its own background (RMouse12) and stepping spin boxes by
// ten with the mouse (MouseDown).

#include "morvex/MorvexState.h"
#include "morvex/Report.h"

#include <QHash>
#include <QVariant>
#include <QWidget>
#include <array>
#include <functional>
#include <initializer_list>

class QPushButton;

class QSpinBox;

namespace klangor {

// How a click steps a spin box by ten near its limits.
enum class StepRule {
    Snap,          // a step that would pass a limit lands on it
    SkipNearLimit, // a step that would pass a limit does not happen
};

// The value a mouse button makes of `value` in a box of minimum..maximum: the left button lowers,
// the right button raises, any other button leaves it.
int steppedValue(StepRule rule, int value, int minimum, int maximum, Qt::MouseButton button);

// Makes mouse presses on the box step it by ten under `rule` (through setValue, so the box's
// valueChanged handlers run as for typing). Left clicks on the box's own arrows keep stepping by
// one. No click on the box opens a context menu or reaches the page behind it.
void attachStepping(QSpinBox* box, StepRule rule);

class Session;

class EditPage : public QWidget {
    Q_OBJECT
public:
    explicit EditPage(Session& session, QWidget* parent = nullptr);
    // Its controls report nothing more: QWidget's teardown moves the focus, which would make them
    // report to a page that is half gone.
    ~EditPage() override;

    // Voice -> controls (fillControls), then what every control shows is remembered, so that a
    // store can leave alone what the user did not change. Called right after the page is created
    // and shown, again after the voice was reloaded from its file, and by the page's own buttons
    // after they changed the voice: the one way a page is filled from the voice.
    void InitVars();
    // Controls -> voice. Called before another page is shown and before any load, save or send.
    // Stores a value only when one of its controls was edited since the last fill: a control
    // cannot always show what the voice holds (a check box for a byte of 34, a spin box whose
    // range cuts the value), and merely visiting a page must not change the voice.
    virtual void ChVars() = 0;
    // ChVars, then what the controls show becomes the new mark to compare with: a control edited
    // and stored, then set back to what it showed at the fill, is an edit again. Every store goes
    // through here.
    void StoreVars();

    // The manual page for F1 on this page (1000 is the manual's index).
    virtual int helpContext() const { return 1000; }

    morvex::MorvexState& state() const;

signals:
    // The user closed the page; it has stored its values.
    void closed();

public:
    Session& session() const { return session_; }

    // The page stores and records every value committed on it as a step of the voice's history
    // (and sends it while "send while editing" is on). A page whose values only count when a
    // button of its own takes them says no.
    virtual bool storesEachCommit() const { return true; }

protected:
    // Sets every control from the voice; only InitVars calls it.
    virtual void fillControls() = 0;

    // Whether any of these controls shows something else than at the last fill (or was never
    // filled). Spin boxes, buttons, button groups, lists, combo boxes, line edits and tables.
    bool edited(std::initializer_list<const QObject*> controls) const;
    template <class Control, std::size_t N>
    bool edited(const std::array<Control*, N>& controls) const {
        for (const Control* control : controls)
            if (edited({control})) return true;
        return false;
    }
    // Remembers what one control shows now, for a page that refills a single control from the
    // voice outside InitVars (Direct edit's value boxes follow their position boxes).
    void recordShown(const QObject* control);

    // A press on the page's own background (not on a control): the right button stores the
    // controls and sends the voice; other buttons do nothing.
    virtual void RMouse12(Qt::MouseButton button);

    // SendVoice with the current MIDI device: range errors as message boxes, a missing device as a
    // note in the main window's status bar.
    void sendVoice();
    // What a button that changes the voice itself does around `change`: the page is stored first,
    // so that no edit on it is lost; after the change the page is filled from the voice and the
    // voice is sent. The page then shows exactly what was sent, and the next store sends it again.
    // Every push button of a page records its change as a step named by its caption once its
    // own handler has run.
    void sendChangedVoice(const std::function<void()>& change);
    // Shows a report as a message box (captured in tests).
    void showReport(const morvex::Report& report);
    // A push button of the page, named like its handler so that tests find it.
    QPushButton* namedButton(const char* name, const char* caption);

    // The user closed the page: its values are kept, as a switch to another page would.
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Lists, tables and drop-down lists of the page take the left button only (see EditPage.cpp).
    void showEvent(QShowEvent* event) override;

private:
    bool isBackground(const QPoint& position) const;
    // A value was committed on `control`: once the events of this change are through (several
    // signals of one change make one step), the page is stored, the change recorded, and with
    // "send while editing" on the voice sent.
    void valueCommitted(QObject* control);
    // A push button was clicked: its handler has run; what it changed becomes a step.
    void buttonClicked(QObject* button);

    Session& session_;
    bool watching_ = false;
    bool fillingControls_ = false;
    bool storePending_ = false;
    QString pendingStep_;                   // the name of the step the pending store records
    QHash<const QObject*, QVariant> shown_; // each control's value at the last fill
};

} // namespace klangor

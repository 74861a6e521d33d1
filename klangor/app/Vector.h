#pragma once
// The Vector page: the level and detune vector sequences as two editable step tables, their
// speeds, and random and empty sequences.

#include "EditPage.h"

#include "morvex/VectorTable.h"

class QPushButton;
class QSpinBox;
class QTableWidget;

namespace klangor {

class TFVector : public EditPage {
    Q_OBJECT
public:
    explicit TFVector(Session& session, QWidget* parent = nullptr);

    // Stores the speeds and tables the user changed; each bad cell shows its own warning.
    void ChVars() override;
    int helpContext() const override { return 1300; }

protected:
    void fillControls() override;

private:
    void RandVal(morvex::VectorKind kind);
    void Zero(morvex::VectorKind kind);

    QTableWidget* table(morvex::VectorKind kind) const;
    morvex::VectorTableTexts tableTexts(morvex::VectorKind kind) const;
    void setTableTexts(morvex::VectorKind kind, const morvex::VectorTableTexts& texts);

    QSpinBox* LevelSpeed;
    QSpinBox* DetuneSpeed;
    QTableWidget* StringGrid1; // level
    QTableWidget* StringGrid2; // detune
    QPushButton* RandLev;
    QPushButton* RandDet;
    QPushButton* ZeroLev;
    QPushButton* ZeroDet;
    QSpinBox* Finesse;
    QSpinBox* MaxRate;
    QSpinBox* LevelMaxX;
    QSpinBox* LevelMaxY;
    QSpinBox* DetuneMaxX;
    QSpinBox* DetuneMaxY;
};

} // namespace klangor

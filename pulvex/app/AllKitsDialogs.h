#pragma once
// The two windows of File > Receive all kits...: the choice of banks and format, and the progress
// of the run with its Cancel.

#include "pulvex/model/DrumMapExport.h"
#include "pulvex/model/KitsReception.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace pulvex_app {

class CReceiveAllKits : public QDialog {
    Q_OBJECT
public:
    explicit CReceiveAllKits(QWidget* parent = nullptr);

    // Nothing for all banks.
    std::optional<pulvex::KitBank> bank() const;
    // Only formats of whole kits are offered: a received kit has no selection.
    const pulvex::DrumMapFormat& format() const;

    QRadioButton* allBanksButton() const { return all_; }
    QRadioButton* bankButton(pulvex::KitBank bank) const;
    // Selects the format of this --format name; false when it is not offered.
    bool chooseFormat(std::string_view name);
    QComboBox* formatBox() const { return format_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QRadioButton* all_;
    QRadioButton* preset_;
    QRadioButton* internal_;
    QRadioButton* card_;
    QComboBox* format_;
    std::vector<const pulvex::DrumMapFormat*> offered_;
};

// Modal over the main window while the kits are read; Cancel (or Escape) asks the run to end.
class CKitsProgress : public QDialog {
    Q_OBJECT
public:
    explicit CKitsProgress(QWidget* parent = nullptr);

    void setKit(int k, int n, const pulvex::KitAddress& kit);
    bool cancelled() const { return cancelled_; }

    QString text() const; // "kit 12 of 192"
    QPushButton* cancelButton() const { return cancel_; }

    void reject() override; // ends nothing itself: the run ends at its next look

private:
    QLabel* count_;
    QLabel* kit_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

} // namespace pulvex_app

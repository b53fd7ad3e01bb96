#pragma once
// The About box: product, file version, the loaded language catalogue and copyright.

#include <QDialog>

namespace UI {

class AboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit AboutDlg(QWidget* parent = nullptr);
};

/// Moves a new window so that its bottom-right corner meets that of the work area.
void MoveToWorkAreaCorner(QWidget* window);

}  // namespace UI

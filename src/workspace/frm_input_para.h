#pragma once
// "Input Parameters": asks for the value of every run-time parameter before a run. Each showing
// refills the rows from the definition and shrinks the dialog to the rows in use; OK stores
// every row's text as the parameter's Default. The dialog's result says whether the run goes on:
// Accepted for OK, Rejected for Cancel, Esc and the window's close button.

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;

namespace brevant {

struct Workspace;

class FrmInputPara : public QDialog {
  Q_OBJECT
public:
  explicit FrmInputPara(Workspace &workspace, QWidget *parent = nullptr);

  // Fills the rows from the definition (the dialog does it itself each time it is shown).
  void refill();

  void accept() override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  Workspace &workspace_;
  std::array<QLabel *, 10> lblPName_{};
  std::array<QLineEdit *, 10> txtPVaule_{};
};

} // namespace brevant

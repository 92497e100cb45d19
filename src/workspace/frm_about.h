#pragma once
// "About Brevant": the product name, version and legal notice, with the maker's web and e-mail
// addresses as links.

#include <QDialog>

#include <string>

namespace brevant {

class FrmAbout : public QDialog {
  Q_OBJECT
public:
  FrmAbout(const std::string &programFolder, QWidget *parent = nullptr);
};

} // namespace brevant

// The shell's print options: the three options of the report header, the
// notes option, the report's two optional sections (the groups' months, the
// phases never booked; both off until chosen) and the texts of the executing person, destination and note;
// kept in the user's settings and handed to the module through the global
// object.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "host/framework/global_object.h"

class QCheckBox;
class QLineEdit;

namespace shell {

// Reads and writes the options in the user's settings (a broken or missing
// file gives the defaults).
host::GlobalObject::PrintOptions LoadPrintOptions();
void SavePrintOptions(const host::GlobalObject::PrintOptions& options);

class PrintOptionsDialog : public QDialog {
 public:
  PrintOptionsDialog(host::GlobalObject::PrintOptions options, const std::function<QString(const std::string&)>& tr,
                     QWidget* parent = nullptr);
  [[nodiscard]] host::GlobalObject::PrintOptions Options() const;

 private:
  QCheckBox *header_, *company_, *references_, *notes_, *trend_, *unbooked_;
  QLineEdit *executing_, *destination_, *note_;
};

}  // namespace shell

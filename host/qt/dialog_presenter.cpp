#include "host/qt/dialog_presenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace host::qt {
namespace {

QString Word(const std::string& language, const char* italian, const char* english) {
  return QString::fromUtf8(language == "en" ? english : italian);
}

QMessageBox::Icon IconOf(int32_t style) {
  switch (style & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

int32_t DialogPresenter::Show(const std::string& text, int32_t buttons, const std::string& title) {
  QMessageBox box(IconOf(buttons), QString::fromStdString(title), QString::fromStdString(text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  switch (buttons & 0x7) {
    case 4: {  // Yes/No, the second one the default when asked (256)
      auto* yes = box.addButton(Word(language_, "Sì", "Yes"), QMessageBox::YesRole);
      auto* no = box.addButton(Word(language_, "No", "No"), QMessageBox::NoRole);
      box.setDefaultButton((buttons & 256) != 0 ? no : yes);
      box.setEscapeButton(no);
      box.exec();
      return box.clickedButton() == yes ? 6 : 7;
    }
    case 1: {  // OK/Cancel
      auto* ok = box.addButton(Word(language_, "OK", "OK"), QMessageBox::AcceptRole);
      auto* cancel = box.addButton(Word(language_, "Annulla", "Cancel"), QMessageBox::RejectRole);
      box.setEscapeButton(cancel);
      box.exec();
      return box.clickedButton() == ok ? 1 : 2;
    }
    default: {
      auto* ok = box.addButton(Word(language_, "OK", "OK"), QMessageBox::AcceptRole);
      box.setEscapeButton(ok);
      box.exec();
      return 1;
    }
  }
}

int32_t DialogPresenter::ShowError(const std::string& headline, const std::string& details, int32_t /*buttons*/,
                                   const std::string& title) {
  QMessageBox box(QMessageBox::Critical, QString::fromStdString(title), QString::fromStdString(headline),
                  QMessageBox::NoButton, QApplication::activeWindow());
  box.setInformativeText(Word(language_, "L'operazione è stata interrotta; i dati non sono stati modificati.",
                              "The operation was stopped; no data was changed."));
  box.setDetailedText(QString::fromStdString(details));
  auto* ok = box.addButton(Word(language_, "OK", "OK"), QMessageBox::AcceptRole);
  box.setEscapeButton(ok);
  box.exec();
  return 5;
}

}  // namespace host::qt

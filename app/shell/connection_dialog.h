// The shell's connection dialog (first start, and File → Connessione…): an
// SQLite file, with *Demo* that makes the demo database, or an ODBC source:
// a data source of the system's list, or a driver with server, port and
// database; user and password for both ODBC kinds.
//
// *Prova connessione* opens the chosen connection on a thread of its own and
// shows the outcome within the login timeout (5 s unless SetLoginTimeout):
// a driver still waiting then is answered for ("nessuna risposta entro 5 s")
// and its late answer dropped. The window stays usable meanwhile, and a
// dialog closed first is never reached. Messages never show the password.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "app/shell/connection_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace shell {

class ConnectionDialog : public QDialog {
  Q_OBJECT

 public:
  using Translate = std::function<QString(const std::string&)>;
  // `current`: the connection in use (its password, if any, fills the field).
  ConnectionDialog(const std::string& current, Translate tr, QWidget* parent = nullptr);
  ~ConnectionDialog() override;

  // What was chosen: the connection string without password, and the password.
  [[nodiscard]] ConnectionChoice Choice() const;
  [[nodiscard]] std::string Password() const;

  void SetLoginTimeout(int seconds) { login_timeout_ = seconds; }
  // Where *Demo* makes its database (the user's data folder by default).
  void SetDemoPath(const QString& path) { demo_path_ = path; }

  void TestConnection();  // *Prova connessione*
  void MakeDemo();        // *Demo*

 signals:
  void TestFinished(bool ok, const QString& message);

 private:
  void UpdateFields();
  void ShowOutcome(bool ok, const QString& message);

  Translate tr_;
  int login_timeout_ = 5;
  int attempt_ = 0;  // the Prova connessione whose answer is awaited
  QString demo_path_;
  QRadioButton *file_kind_, *dsn_kind_, *driver_kind_;
  QLineEdit* file_;
  QPushButton *browse_, *demo_;
  QComboBox *dsn_, *driver_;
  QLineEdit *server_, *port_, *database_, *user_, *password_;
  QPushButton* test_;
  QLabel* outcome_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace shell

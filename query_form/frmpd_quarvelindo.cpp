#include "query_form/frmpd_quarvelindo.h"

#include <QEventLoop>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/db/connection_string.h"
#include "host/framework/log_object.h"
#include "query_form/mdi_frame.h"

namespace query_form {

namespace {

constexpr const char* kModule = "FRMPD_QUARVELINDO";

// The log object's message box, as a Qt dialog.
class DialogPresenter : public host::MessagePresenter {
 public:
  int32_t Show(const std::string& text, int32_t /*buttons*/, const std::string& title) override {
    const auto answer =
        QMessageBox::critical(nullptr, QString::fromStdString(title), QString::fromStdString(text),
                              QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Retry);
    return answer == QMessageBox::Abort ? 3 : (answer == QMessageBox::Retry ? 4 : 5);
  }
};

}  // namespace

std::shared_ptr<FRMPD_QUARVELINDO> FRMPD_QUARVELINDO::Create() { return std::make_shared<FRMPD_QUARVELINDO>(); }

FRMPD_QUARVELINDO::FRMPD_QUARVELINDO() {
  component::WriteTrace(identity_, "INI", kModule);  // Form_Initialize
}

FRMPD_QUARVELINDO::~FRMPD_QUARVELINDO() {
  if (window_) window_->deleteLater();
  component::WriteTrace(identity_, "TER", kModule);  // Form_Terminate
}

std::string FRMPD_QUARVELINDO::Caption() const {
  return window_ ? window_->windowTitle().toStdString() : std::string();
}

void FRMPD_QUARVELINDO::SetWindowState(int16_t state) {
  if (!window_) FormLoad();  // the first access loads the form
  if (!window_) return;
  window_->setWindowState(state == 2 ? Qt::WindowMaximized : (state == 1 ? Qt::WindowMinimized : Qt::WindowNoState));
}

void FRMPD_QUARVELINDO::SetCaption(const std::string& caption) {
  if (window_) window_->setWindowTitle(QString::fromStdString(caption));
}

void FRMPD_QUARVELINDO::FormLoad() {
  window_ = new QWidget();
  window_->setObjectName(kModule);
  window_->setAttribute(Qt::WA_DeleteOnClose, false);
  auto* layout = new QVBoxLayout(window_);
  auto* heading = new QLabel(window_);
  auto* details = new QLabel(window_);
  details->setObjectName("LBL_CONNESSIONE");
  auto* close = new QPushButton(QObject::tr("Chiudi"), window_);
  close->setObjectName("CmdExit");
  layout->addWidget(heading);
  layout->addWidget(details);
  layout->addStretch();
  layout->addWidget(close, 0, Qt::AlignRight);
  window_->resize(640, 360);
  QObject::connect(close, &QPushButton::clicked, window_, [this] { Unload(); });
  loaded_ = true;
  try {
    const auto global = active_interface_ != nullptr ? active_interface_->GetClsGlobal() : nullptr;
    const std::string connect = global ? global->connection_info.connection_string : std::string();
    company_ = global ? global->company.code : std::string();
    heading->setText(QString::fromStdString(
        component::TestoLingua(active_interface_, "Ricerca ordini di lavorazione", 73165, std::nullopt, 0)));
    connection_ = host::db::OpenConnection(connect);
    auto handed = std::make_shared<ConnectionObject>();
    handed->connection = connection_;
    active_interface_->SetConnection(handed);
    details->setText(QString::fromStdString("Ditta " + company_ + " — " + connection_->BackEnd() + ": " +
                                            host::db::ConnectionString::Redacted(connect)));
  } catch (const host::Error& e) {
    details->setText(QString::fromStdString(e.what()));
    GestioneErrore("Form_Load", e);
  }
}

void FRMPD_QUARVELINDO::GestioneErrore(const std::string& procedure, const host::Error& error) {
  host::LogObject log(std::make_shared<DialogPresenter>());
  log.TakeError(error);
  if (connection_) log.TakeConnectionErrors(connection_->Errors());
  log.Report("quarvelindo", Caption(), procedure, 4370);
}

void FRMPD_QUARVELINDO::Show(bool modal) {
  if (!window_) return;
  const auto frame =
      active_interface_ != nullptr ? std::dynamic_pointer_cast<MdiFrame>(active_interface_->GetActiveFrame()) : nullptr;
  if (frame && frame->area && !modal) {
    QMdiSubWindow* sub = frame->area->addSubWindow(window_);
    sub->resize(660, 380);
    sub->show();
    window_->show();
    return;
  }
  if (modal) {
    window_->setWindowModality(Qt::ApplicationModal);
    window_->show();
    QEventLoop loop;
    QObject::connect(window_, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    return;
  }
  window_->show();
}

void FRMPD_QUARVELINDO::FormUnload() {
  if (connection_) connection_->Close();
  connection_.reset();
}

void FRMPD_QUARVELINDO::Unload() {
  if (!loaded_) return;
  loaded_ = false;
  FormUnload();
  if (window_) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window_->parentWidget())) {
      sub->close();
      sub->deleteLater();
    } else {
      window_->close();
      window_->deleteLater();
    }
  }
}

bool FRMPD_QUARVELINDO::MainFormActive() const {
  if (!window_) return false;
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window_->parentWidget())) {
    return sub->mdiArea() != nullptr && sub->mdiArea()->activeSubWindow() == sub;
  }
  return window_->isActiveWindow();
}

}  // namespace query_form

#include "results_form/report_preview.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTimer>
#include <QAction>
#include <QLabel>
#include <QLocale>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QScreen>
#include <QToolBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "host/qt/work_progress.h"

namespace results_form {

// The pages one under the other; a page is drawn when it first comes into
// sight at the zoom of the moment and kept among the last ones drawn.
class PageView : public QAbstractScrollArea {
 public:
  enum class Fit { None, Width, Page };

  PageView(const output::ReportPages& pages, QWidget* parent) : QAbstractScrollArea(parent), pages_(pages) {
    setObjectName("PreviewPages");
    const QPageLayout layout = output::ReportPages::PageLayout();
    page_points_ = layout.fullRect(QPageLayout::Point).size();
    margin_points_ = layout.paintRect(QPageLayout::Point).topLeft();
    // Some forty pages of a screen's size: scrolling back is instant, and
    // a year's report costs no more than a few pages.
    cache_.setMaxCost(96 * 1024);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
  }

  [[nodiscard]] double Zoom() const { return zoom_; }
  void SetZoom(double zoom, Fit fit = Fit::None) {
    fit_ = fit;
    zoom = std::clamp(zoom, 0.1, 6.0);
    if (zoom == zoom_) return;
    const int top = TopPage();
    zoom_ = zoom;
    cache_.clear();
    UpdateScrollBars();
    ShowPage(top);
    viewport()->update();
  }
  void FitTo(Fit fit) {
    const QSize room = viewport()->size() - QSize(2 * kGap, 2 * kGap);
    const double width = room.width() / page_points_.width();
    const double height = room.height() / page_points_.height();
    SetZoom(fit == Fit::Width ? width : std::min(width, height), fit);
  }

  [[nodiscard]] int TopPage() const {
    const int stride = Stride();
    return std::clamp((verticalScrollBar()->value() + stride / 2) / stride, 0, pages_.Count() - 1);
  }
  void ShowPage(int page) {
    verticalScrollBar()->setValue(std::clamp(page, 0, pages_.Count() - 1) * Stride());
  }
  [[nodiscard]] int64_t Drawn() const { return drawn_; }
  // Pages from `first` on were laid out anew (or added).
  void PagesChanged(int first) {
    for (const int page : cache_.keys()) {
      if (page >= first) cache_.remove(page);
    }
    UpdateScrollBars();
    viewport()->update();
  }

  QImage Image(int page) {
    if (const QImage* kept = cache_.object(page)) return *kept;
    const qreal ratio = devicePixelRatioF();
    const QSize size = PageSize();
    auto image = std::make_unique<QImage>(size * ratio, QImage::Format_RGB32);
    image->setDevicePixelRatio(ratio);
    image->fill(Qt::white);
    {
      QPainter painter(image.get());
      painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
      painter.scale(zoom_, zoom_);
      painter.translate(margin_points_);
      pages_.Draw(painter, page);
    }
    ++drawn_;
    QImage copy = *image;
    const int cost = std::max<int>(1, static_cast<int>(image->sizeInBytes() / 1024));
    cache_.insert(page, image.release(), cost);
    return copy;
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(viewport());
    const QSize size = PageSize();
    const int stride = Stride();
    const int top = verticalScrollBar()->value();
    const int left = std::max(kGap, (viewport()->width() - size.width()) / 2) - horizontalScrollBar()->value();
    for (int page = std::max(0, top / stride); page < pages_.Count(); ++page) {
      const int y = page * stride + kGap - top;
      if (y >= viewport()->height()) break;
      painter.drawImage(QPoint(left, y), Image(page));
      painter.setPen(Qt::black);
      painter.drawRect(QRect(QPoint(left, y), size).adjusted(-1, -1, 0, 0));
    }
  }
  void resizeEvent(QResizeEvent* event) override {
    QAbstractScrollArea::resizeEvent(event);
    if (fit_ != Fit::None) {
      FitTo(fit_);
    } else {
      UpdateScrollBars();
    }
  }

 private:
  static constexpr int kGap = 12;

  [[nodiscard]] QSize PageSize() const {
    return {static_cast<int>(std::lround(page_points_.width() * zoom_)),
            static_cast<int>(std::lround(page_points_.height() * zoom_))};
  }
  [[nodiscard]] int Stride() const { return PageSize().height() + kGap; }
  void UpdateScrollBars() {
    const QSize size = PageSize();
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setRange(0, std::max(0, pages_.Count() * Stride() + kGap - viewport()->height()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, size.width() + 2 * kGap - viewport()->width()));
  }

  const output::ReportPages& pages_;
  QSizeF page_points_;
  QPointF margin_points_;
  double zoom_ = 1.0;
  Fit fit_ = Fit::Width;
  QCache<int, QImage> cache_;
  int64_t drawn_ = 0;
};

ReportPreview::ReportPreview(std::shared_ptr<output::ReportPages> pages,
                             std::shared_ptr<output::PrintPreparation> preparation,
                             std::function<QString(const std::string&)> tr,
                             std::function<void(QWidget* parent)> save_pdf, QWidget* parent)
    : QDialog(parent), pages_(std::move(pages)), preparation_(std::move(preparation)), tr_(std::move(tr)) {
  setObjectName("ReportPreview");
  setWindowTitle(tr_("Anteprima di stampa"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(this);
  view_ = new PageView(*pages_, this);
  layout->addWidget(bar);
  layout->addWidget(view_, 1);
  const auto add = [&](const char* name, const std::string& text, const QKeySequence& keys, auto&& act) {
    QAction* action = bar->addAction(tr_(text).remove('&'));
    action->setObjectName(name);
    if (!keys.isEmpty()) action->setShortcut(keys);
    connect(action, &QAction::triggered, this, act);
    return action;
  };
  whole_report_.push_back(add("PreviewPrint", "&Stampa", QKeySequence::Print, [this] { PrintWithDialog(); }));
  whole_report_.push_back(add("PreviewPageSetup", "Imposta pagina", {}, [this] { PageSetup(); }));
  bar->addSeparator();
  add("PreviewFitWidth", "Adatta alla larghezza", {}, [this] { FitWidth(); });
  add("PreviewFitPage", "Pagina intera", {}, [this] { FitPage(); });
  add("PreviewZoomIn", "Ingrandisci", QKeySequence::ZoomIn, [this] { SetZoom(Zoom() * 1.25); });
  add("PreviewZoomOut", "Riduci", QKeySequence::ZoomOut, [this] { SetZoom(Zoom() / 1.25); });
  bar->addSeparator();
  // The pages are gone through by arrows (their names in the tooltips): the
  // bar's names whole would be wider than a 1280-pixel screen.
  const auto arrow = [&](QAction* action, QStyle::StandardPixmap icon) {
    action->setIcon(style()->standardIcon(icon));
    action->setToolTip(action->text());
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
      button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
  };
  arrow(add("PreviewFirst", "Prima pagina", QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { ShowPage(0); }),
        QStyle::SP_MediaSkipBackward);
  arrow(add("PreviewPrevious", "Pagina precedente", {}, [this] { ShowPage(CurrentPage() - 1); }),
        QStyle::SP_MediaSeekBackward);
  page_number_ = new QSpinBox(bar);
  page_number_->setObjectName("PreviewPageNumber");
  page_number_->setRange(1, PageCount());
  page_number_->setKeyboardTracking(false);
  page_number_->setGroupSeparatorShown(true);
  bar->addWidget(page_number_);
  page_total_ = new QLabel(bar);
  page_total_->setObjectName("PreviewPageTotal");
  bar->addWidget(page_total_);
  arrow(add("PreviewNext", "Pagina successiva", {}, [this] { ShowPage(CurrentPage() + 1); }),
        QStyle::SP_MediaSeekForward);
  arrow(add("PreviewLast", "Ultima pagina", QKeySequence(Qt::CTRL | Qt::Key_End), [this] { ShowPage(PageCount() - 1); }),
        QStyle::SP_MediaSkipForward);
  if (save_pdf) {
    bar->addSeparator();
    whole_report_.push_back(add("PreviewSavePdf", "Salva come PDF", {}, [this, save_pdf] { save_pdf(this); }));
  }
  // While the rest of the report is prepared: its count and Interrompi.
  bar->addSeparator();
  progress_ = new QLabel(bar);
  progress_->setObjectName("PreviewProgress");
  // A tool bar shows or hides its widgets through their actions.
  progress_action_ = bar->addWidget(progress_);
  stop_ = add("PreviewStop", "&Interrompi", {}, [this] {
    stopped_ = true;
    if (preparing_ != nullptr) preparing_->stop();
    reject();
  });
  preparing_ = new QTimer(this);
  preparing_->setInterval(0);
  connect(preparing_, &QTimer::timeout, this, [this] {
    if (PrepareSlice() || (preparation_ && preparation_->Done())) preparing_->stop();
  });
  // The first page before the window shows (a group at a time: the page is
  // whole once the next one is begun).
  while (preparation_ && !preparation_->Done() && pages_->Count() < 2) {
    preparation_->Step(1);
    if (!preparation_->Failed()) pages_->Extend(preparation_->Done());
  }
  UpdateState();
  if (preparation_ && !preparation_->Done()) preparing_->start();
  connect(page_number_, qOverload<int>(&QSpinBox::valueChanged), this, [this](int number) {
    if (number - 1 != CurrentPage()) ShowPage(number - 1);
  });
  connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { UpdatePageNumber(); });
  // Wide enough for the whole tool bar, within the screen.
  int width = std::max(1100, bar->sizeHint().width() + 16);
  if (const QScreen* shown_on = screen()) width = std::min(width, shown_on->availableGeometry().width());
  resize(width, 820);
}

ReportPreview::~ReportPreview() = default;

host::Status ReportPreview::TakeStatus() { return preparation_ ? preparation_->TakeStatus() : host::Status(); }

int ReportPreview::PageCount() const { return pages_->Count(); }

bool ReportPreview::Complete() const { return pages_->Complete(); }

bool ReportPreview::PrepareSlice() {
  if (!preparation_ || preparation_->Done()) return Complete();
  QElapsedTimer slice;
  slice.start();
  while (!preparation_->Step(4) && slice.elapsed() < 40) {
  }
  if (preparation_->Failed()) {
    // The form shows the failure (TakeStatus): the preview has nothing whole to show.
    reject();
    return false;
  }
  view_->PagesChanged(pages_->Extend(preparation_->Done()));
  UpdateState();
  return Complete();
}

void ReportPreview::UpdateState() {
  const bool complete = Complete();
  for (QAction* action : whole_report_) action->setEnabled(complete);
  page_number_->setMaximum(PageCount());
  const QLocale locale;
  page_total_->setText(" " + tr_("di") + " " + locale.toString(PageCount()) + (complete ? " " : "… "));
  progress_action_->setVisible(!complete);
  stop_->setVisible(!complete);
  if (!complete && preparation_) {
    progress_->setText(tr_("Preparazione: versamenti") + " " +
                       locale.toString(static_cast<qulonglong>(preparation_->BookingsDone())) + " / " +
                       locale.toString(static_cast<qulonglong>(preparation_->Bookings())));
  }
}
int ReportPreview::CurrentPage() const { return view_->TopPage(); }
void ReportPreview::ShowPage(int page) { view_->ShowPage(page); }
double ReportPreview::Zoom() const { return view_->Zoom(); }
void ReportPreview::SetZoom(double zoom) { view_->SetZoom(zoom); }
void ReportPreview::FitWidth() { view_->FitTo(PageView::Fit::Width); }
void ReportPreview::FitPage() { view_->FitTo(PageView::Fit::Page); }
int64_t ReportPreview::PagesDrawn() const { return view_->Drawn(); }
QImage ReportPreview::PageImage(int page) { return view_->Image(page); }

void ReportPreview::UpdatePageNumber() {
  const QSignalBlocker quiet(page_number_);
  page_number_->setValue(CurrentPage() + 1);
}

int ReportPreview::Print(QPrinter& printer, int first, int last) {
  printer.setPageLayout(output::ReportPages::PageLayout());
  host::qt::WorkProgress progress(this, windowTitle(), tr_("&Interrompi"));
  const int printed = output::DrawPages(printer, *pages_, first, last, progress.Stage(tr_("Stampa: pagine")));
  progress.Done();
  return printed;
}

void ReportPreview::PrintWithDialog() {
  QPrintDialog dialog(&printer_, this);
  dialog.setMinMax(1, PageCount());
  dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintCurrentPage |
                    QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  if (dialog.exec() != QDialog::Accepted) return;
  int first = 0;
  int last = PageCount() - 1;
  if (printer_.printRange() == QPrinter::PageRange) {
    first = printer_.fromPage() - 1;
    last = printer_.toPage() - 1;
  } else if (printer_.printRange() == QPrinter::CurrentPage) {
    first = last = CurrentPage();
  }
  Print(printer_, first, last);
}

void ReportPreview::PageSetup() {
  QPageSetupDialog dialog(&printer_, this);
  dialog.exec();
}

}  // namespace results_form

#include "output/report/comparison_report.h"

#include <QFile>
#include <QPdfWriter>

#include "output/placed_file.h"
#include "output/write_status.h"
#include "output/report/report_pages.h"

namespace output {

QString ShortenedTitle(QString title) { return title.replace("ordine", "ord."); }

int DrawReport(QPagedPaintDevice& device, const PrintRecords& records, const ReportParameters& parameters) {
  device.setPageLayout(ReportPages::PageLayout());
  const ReportPages pages(records, parameters);
  const int drawn = DrawPages(device, pages, 0, pages.Count() - 1);
  return drawn == pages.Count() ? drawn : 0;
}

host::Status WriteReportPdf(const std::string& path, const PrintRecords& records,
                            const ReportParameters& parameters) {
  if (std::string refused = RefusePlace(path, {}); !refused.empty()) return WriteFailedUnless(std::move(refused));
  PlacedFile placed(path);
  if (!placed.Error().empty()) return WriteFailedUnless(placed.Error());
  // Through a file of our own: QPdfWriter says nothing of a failed write,
  // the file does.
  QFile file;
  if (!file.open(placed.Descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
    return WriteFailedUnless("cannot write " + path);
  }
  int pages = 0;
  {
    QPdfWriter writer(&file);
    writer.setResolution(150);
    writer.setTitle(ShortenedTitle(parameters.titolo));
    writer.setCreator("quarvelindo");
    pages = DrawReport(writer, records, parameters);
  }
  const bool written = file.flush() && file.error() == QFileDevice::NoError;
  const std::string reason = file.errorString().toStdString();
  file.close();
  if (pages == 0 || !written) return WriteFailedUnless("cannot write " + path + (written ? std::string() : ": " + reason));
  return WriteFailedUnless(placed.Commit());
}

}  // namespace output

#include "output/xlsx_parts.h"

#include <charconv>
#include <cstdio>

#include "output/xlsx_cells.h"

namespace output::xlsx {
namespace {

constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kOfficeRelationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kPackageRelationships = "http://schemas.openxmlformats.org/package/2006/relationships";

std::string Escaped(const std::string& text) {
  std::string out;
  AppendXmlText(out, text);
  return out;
}

// "Sheet!$A$1:$W$6", the name quoted when it is not a plain word.
std::string FilterRange(const SheetPart& sheet) {
  bool plain = !sheet.name.empty();
  for (const char c : sheet.name) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) plain = false;
  }
  std::string name = sheet.name;
  if (!plain) {
    std::string quoted = "'";
    for (const char c : name) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    name = quoted + "'";
  }
  // "$W$6" from "W6": the dollar goes before the letters and before the digits.
  const size_t digits = sheet.last_cell.find_first_of("0123456789");
  const std::string last = "$" + sheet.last_cell.substr(0, digits) + "$" + sheet.last_cell.substr(digits);
  return name + "!$A$1:" + last;
}

// A number as a formula reads it: a point for decimals whatever the locale,
// the shortest text that reads back the same.
std::string FormulaNumber(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return {text, end};
}

}  // namespace

std::string ContentTypes(size_t sheets) {
  std::string xml = std::string(kXmlHead) +
                    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                    "<Override PartName=\"/docProps/app.xml\" "
                    "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
                    "<Override PartName=\"/docProps/core.xml\" "
                    "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
                    "<Override PartName=\"/xl/styles.xml\" "
                    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                    "<Override PartName=\"/xl/workbook.xml\" "
                    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
  for (size_t i = 1; i <= sheets; ++i) {
    xml += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(i) +
           ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
  }
  return xml + "</Types>";
}

std::string RootRelationships() {
  return std::string(kXmlHead) + "<Relationships xmlns=\"" + kPackageRelationships + "\">" +
         "<Relationship Id=\"rId1\" Type=\"" + kOfficeRelationships + "/officeDocument\" Target=\"xl/workbook.xml\"/>" +
         "<Relationship Id=\"rId2\" Type=\"" + kPackageRelationships +
         "/metadata/core-properties\" Target=\"docProps/core.xml\"/>" + "<Relationship Id=\"rId3\" Type=\"" +
         kOfficeRelationships + "/extended-properties\" Target=\"docProps/app.xml\"/>" + "</Relationships>";
}

std::string WorkbookXml(const std::vector<SheetPart>& sheets) {
  std::string xml = std::string(kXmlHead) + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kOfficeRelationships +
                    "\"><bookViews><workbookView/></bookViews><sheets>";
  for (size_t i = 0; i < sheets.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    xml += "<sheet name=\"" + Escaped(sheets[i].name) + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
  }
  xml += "</sheets><definedNames>";
  for (size_t i = 0; i < sheets.size(); ++i) {
    xml += "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"" + std::to_string(i) + "\" hidden=\"1\">" +
           Escaped(FilterRange(sheets[i])) + "</definedName>";
  }
  return xml + "</definedNames><calcPr fullCalcOnLoad=\"1\"/></workbook>";
}

std::string WorkbookRelationships(size_t sheets) {
  std::string xml = std::string(kXmlHead) + "<Relationships xmlns=\"" + kPackageRelationships + "\">";
  for (size_t i = 1; i <= sheets; ++i) {
    xml += "<Relationship Id=\"rId" + std::to_string(i) + "\" Type=\"" + kOfficeRelationships +
           "/worksheet\" Target=\"worksheets/sheet" + std::to_string(i) + ".xml\"/>";
  }
  xml += "<Relationship Id=\"rId" + std::to_string(sheets + 1) + "\" Type=\"" + kOfficeRelationships +
         "/styles\" Target=\"styles.xml\"/>";
  return xml + "</Relationships>";
}

std::string StylesXml() {
  // The cell formats in the order of xlsx::Style: plain, header (bold),
  // hours ("0.00"), date ("dd/mm/yyyy").
  return std::string(kXmlHead) + "<styleSheet xmlns=\"" + kMain +
         "\"><numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"0.00\"/>"
         "<numFmt numFmtId=\"165\" formatCode=\"dd/mm/yyyy\"/></numFmts>"
         "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font>"
         "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
         "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
         "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
         "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
         "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
         "<cellXfs count=\"4\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
         "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>"
         "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
         "<xf numFmtId=\"165\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/></cellXfs>"
         "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
         // The tolerance band's formats, as the results form's cells: over
         // plan orange with "▲", under plan blue with "▼", dark text on both.
         "<dxfs count=\"2\">"
         "<dxf><font><color rgb=\"FF141414\"/></font>"
         "<numFmt numFmtId=\"166\" formatCode=\"&quot;\u25B2 &quot;0.00\"/>"
         "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFC496\"/><bgColor rgb=\"FFFFC496\"/>"
         "</patternFill></fill></dxf>"
         "<dxf><font><color rgb=\"FF141414\"/></font>"
         "<numFmt numFmtId=\"167\" formatCode=\"&quot;\u25BC &quot;0.00\"/>"
         "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFA6CEFA\"/><bgColor rgb=\"FFA6CEFA\"/>"
         "</patternFill></fill></dxf>"
         "</dxfs>"
         "</styleSheet>";
}

std::string AppProperties(const std::vector<SheetPart>& sheets) {
  const std::string n = std::to_string(sheets.size());
  std::string xml = std::string(kXmlHead) +
                    "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
                    "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
                    "<Application>quarvelindo</Application><HeadingPairs><vt:vector size=\"2\" baseType=\"variant\">"
                    "<vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant><vt:variant><vt:i4>" +
                    n + "</vt:i4></vt:variant></vt:vector></HeadingPairs><TitlesOfParts><vt:vector size=\"" + n +
                    "\" baseType=\"lpstr\">";
  for (const auto& sheet : sheets) xml += "<vt:lpstr>" + Escaped(sheet.name) + "</vt:lpstr>";
  return xml + "</vt:vector></TitlesOfParts></Properties>";
}

std::string CoreProperties(std::time_t now) {
  std::tm utc{};
  gmtime_r(&now, &utc);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(kXmlHead) +
         "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
         "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" +
         when + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + when +
         "</dcterms:modified></cp:coreProperties>";
}

std::string SheetHead(const SheetPart& sheet, const std::vector<double>& widths) {
  std::string xml = std::string(kXmlHead) + "<worksheet xmlns=\"" + kMain + "\" xmlns:r=\"" + kOfficeRelationships +
                    "\"><dimension ref=\"A1:" + sheet.last_cell +
                    "\"/><sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" "
                    "activePane=\"bottomLeft\" state=\"frozen\"/><selection pane=\"bottomLeft\"/></sheetView>"
                    "</sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";
  if (!widths.empty()) {
    xml += "<cols>";
    for (size_t i = 0; i < widths.size(); ++i) {
      char col[160];
      std::snprintf(col, sizeof col, "<col min=\"%zu\" max=\"%zu\" width=\"%.2f\" customWidth=\"1\"/>", i + 1, i + 1,
                    widths[i]);
      xml += col;
    }
    xml += "</cols>";
  }
  return xml + "<sheetData>";
}

std::string SheetTail(const SheetPart& sheet, const ToleranceBand& band) {
  std::string xml = "</sheetData><autoFilter ref=\"A1:" + sheet.last_cell + "\"/>";
  const std::string last_row = sheet.last_cell.substr(sheet.last_cell.find_first_of("0123456789"));
  if (!band.columns.empty() && last_row != "1") {
    std::string ranges;
    for (const auto& column : band.columns) {
      ranges += (ranges.empty() ? "" : " ") + column + "2:" + column + last_row;
    }
    const std::string limit = FormulaNumber(band.tolerance);
    xml += "<conditionalFormatting sqref=\"" + ranges +
           "\"><cfRule type=\"cellIs\" dxfId=\"0\" priority=\"1\" operator=\"greaterThan\"><formula>" + limit +
           "</formula></cfRule><cfRule type=\"cellIs\" dxfId=\"1\" priority=\"2\" operator=\"lessThan\"><formula>" +
           FormulaNumber(band.tolerance == 0 ? 0.0 : -band.tolerance) + "</formula></cfRule></conditionalFormatting>";
    // A rule's formula reads relative to its range's first cell: one range
    // each.
    int priority = 3;
    for (size_t i = 0; i < band.columns.size() && i < band.gaps.size(); ++i) {
      if (band.gaps[i].empty()) continue;
      const std::string& column = band.columns[i];
      const std::string empty = "AND(LEN(" + column + "2)=0,N(" + band.gaps[i] + "2)";
      xml += "<conditionalFormatting sqref=\"" + column + "2:" + column + last_row +
             "\"><cfRule type=\"expression\" dxfId=\"0\" priority=\"" + std::to_string(priority) + "\"><formula>" +
             empty + "&gt;0)</formula></cfRule><cfRule type=\"expression\" dxfId=\"1\" priority=\"" +
             std::to_string(priority + 1) + "\"><formula>" + empty + "&lt;0)</formula></cfRule></conditionalFormatting>";
      priority += 2;
    }
  }
  return xml + "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
         "footer=\"0.3\"/></worksheet>";
}

}  // namespace output::xlsx

// libFuzzer target for the bill import: any bytes as a bill, walked by the
// detalization parser and the month summary. The first byte picks the file
// type and the settings; the rest is the bill. Besides not crashing or
// hanging, every record must hold twelve fields and a DateTime the table
// accepts, and a stop must name a line of the bill.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "import/DetalizationParser.h"
#include "import/MonthSummary.h"
#include "store/DateTimeField.h"

namespace {

using namespace zvonar;

class CheckingSink : public RecordSink {
 public:
  Status Store(const std::vector<std::string>& fields, std::size_t) override {
    DateTimeValue when;
    if (fields.size() != 12 || !ParseDateTimeText(fields[1], &when)) std::abort();
    ++stored;
    return Status::Ok();
  }
  int64_t stored = 0;
};

NameValueList Book(std::vector<std::string> lines) {
  return NameValueList::FromLines(std::move(lines));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  const std::string_view bill(reinterpret_cast<const char*>(data + 1), size - 1);
  static const char* const kNames[] = {"bill.txt", "bill.html", "bill.dat", "BILL.TXT"};
  const std::string fileName = kNames[flags & 3];

  MainSettings settings;
  settings.fillAbonNamesOnAddDetalization = flags & 4;
  settings.fillCodesTypesOnAddDetalization = flags & 8;
  settings.usePrimaryServiceNumber = flags & 16;
  settings.primaryServiceNumber = "9160000000";
  settings.modePhoneCode = (flags & 32) ? 1 : 0;
  settings.phoneCodeTown = "495";
  RegisterFields fields;
  if (flags & 64) {
    // Markers a user may have emptied, and a date length out of range.
    std::vector<std::string> lines(16);
    lines[15] = (flags & 128) ? "-5" : "100000";
    fields = RegisterFields::FromLines(lines);
  }
  static const NameValueList abonents = Book({"[Abonents]", "4951234567=A", "84957654321=B", "+79161112233=C"});
  static const NameValueList codeTypes = Book({"1=One", "\xCC=Mobile", "service=Service", "=empty"});

  CheckingSink sink;
  DetalizationResult result;
  int64_t lastPosition = -1;
  ParseDetalizationFile(
      fileName, bill, BillContext{fields, settings, abonents, codeTypes}, &sink,
      [&](int64_t position, int64_t total) {
        if (position < lastPosition || position > total) std::abort();
        lastPosition = position;
      },
      &result);
  if (result.recordsAdded != sink.stored) std::abort();
  if (result.stop && (result.stop->lineNo == 0 || result.stop->lineText.size() > 503)) std::abort();

  const MonthSummary summary = BuildMonthSummary(fileName, bill, fields);
  const std::string name = SummaryFileName(summary, (flags & 1) ? "russian" : "english");
  if (name.find('/') != std::string::npos) std::abort();
  return 0;
}

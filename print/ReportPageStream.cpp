// Pages as bytes. All numbers are little-endian:
//   "ZVRP1\n"  u32 pages
//   per page:  u32 texts
//   per text:  i32 x, y, width, height, fontSize; u8 flags (1 bold,
//              2 justified); u32 length; the text's code page 1251 bytes.
#include "print/ReportPageStream.h"

#include <cstdint>

namespace zvonar {
namespace {

constexpr std::string_view kMagic = "ZVRP1\n";
// No report comes near these; they keep a damaged count from asking for
// gigabytes.
constexpr std::uint32_t kMostPages = 1u << 24;
constexpr std::uint32_t kMostTexts = 1u << 16;

void PutU32(std::string* out, std::uint32_t v) {
  const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
  out->append(b, 4);
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}
  bool U32(std::uint32_t* v) {
    if (rest_.size() < 4) return false;
    const auto* b = reinterpret_cast<const unsigned char*>(rest_.data());
    *v = b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t{b[3]} << 24);
    rest_.remove_prefix(4);
    return true;
  }
  bool I32(int* v) {
    std::uint32_t u = 0;
    if (!U32(&u)) return false;
    *v = static_cast<int>(static_cast<std::int32_t>(u));
    return true;
  }
  bool Bytes(std::size_t n, std::string_view* v) {
    if (rest_.size() < n) return false;
    *v = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return true;
  }
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

bool ReadText(Reader* in, ReportText* t) {
  std::string_view flags, text;
  std::uint32_t length = 0;
  if (!in->I32(&t->x) || !in->I32(&t->y) || !in->I32(&t->width) || !in->I32(&t->height) || !in->I32(&t->fontSize) ||
      !in->Bytes(1, &flags) || !in->U32(&length) || !in->Bytes(length, &text))
    return false;
  t->bold = (flags[0] & 1) != 0;
  t->justified = (flags[0] & 2) != 0;
  t->text.assign(text);
  return true;
}

}  // namespace

std::string EncodeReportPages(const std::vector<ReportPage>& pages) {
  std::string out(kMagic);
  PutU32(&out, static_cast<std::uint32_t>(pages.size()));
  for (const ReportPage& page : pages) {
    PutU32(&out, static_cast<std::uint32_t>(page.texts.size()));
    for (const ReportText& t : page.texts) {
      for (const int v : {t.x, t.y, t.width, t.height, t.fontSize}) PutU32(&out, static_cast<std::uint32_t>(v));
      out.push_back(static_cast<char>((t.bold ? 1 : 0) | (t.justified ? 2 : 0)));
      PutU32(&out, static_cast<std::uint32_t>(t.text.size()));
      out += t.text;
    }
  }
  return out;
}

Status DecodeReportPages(std::string_view bytes, std::vector<ReportPage>* pages) {
  pages->clear();
  const Status bad = Status::Error(StatusKind::Corrupt, "the report's pages are damaged");
  if (bytes.substr(0, kMagic.size()) != kMagic) return bad;
  Reader in(bytes.substr(kMagic.size()));
  std::uint32_t count = 0;
  if (!in.U32(&count) || count > kMostPages) return bad;
  std::vector<ReportPage> read;
  for (std::uint32_t p = 0; p < count; ++p) {
    std::uint32_t texts = 0;
    if (!in.U32(&texts) || texts > kMostTexts) return bad;
    ReportPage& page = read.emplace_back();
    page.texts.resize(texts);
    for (ReportText& t : page.texts)
      if (!ReadText(&in, &t)) return bad;
  }
  if (!in.AtEnd()) return bad;
  *pages = std::move(read);
  return Status::Ok();
}

}  // namespace zvonar

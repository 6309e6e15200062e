// Qt names the file system's encoding: encodeName and decodeName are the
// only way paths cross between QString and bytes.
#include "ui/NativePath.h"

#include <QFile>

#include "ui/QtText.h"

namespace zvonar {

std::string NativePathFromQt(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString QtPathFromNative(std::string_view nativePath) {
  return QFile::decodeName(QByteArray(nativePath.data(), static_cast<qsizetype>(nativePath.size())));
}

bool StoredPathFromNative(std::string_view nativePath, std::string* stored) {
  std::string text;
  if (!FromQt(QtPathFromNative(nativePath), &text)) return false;
  *stored = std::move(text);
  return true;
}

QString QtPathFromStored(std::string_view stored) {
  return ToQt(stored);
}

}  // namespace zvonar

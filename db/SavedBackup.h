#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class YearFile;

// A backup the farmer carries away from the PC (a USB stick): every year file of the
// working folder and the pointer file, in one new folder named after the moment it was
// made. The folder is filled under a temporary name and takes its own only once every
// copy has been read back and checked, so a stick pulled out mid-way never holds a
// folder that looks complete.
namespace SavedBackup {

inline const QString Prefix = QStringLiteral("Moriva-バックアップ-");
inline const QString ListName = QStringLiteral("目録.txt");

// The year's 期末棚卸計, read from a checked copy; nullopt when it cannot be computed.
// The valuation lives above this layer, so the caller hands it in.
using Closing = std::function<std::optional<qint64>(const std::shared_ptr<YearFile> &copy)>;

struct Saved {
    QString folder;  // full path of the finished folder
    int years = 0;
};

// Saves into a new folder inside target. On failure the working folder is untouched and
// *error names the folder and the cause in Japanese; nothing it wrote is left, or the
// message names what is.
bool save(const QString &target, const Closing &closing, Saved *saved, QString *error);

// One year as the list beside the copies gives it, for a restore to check the copy by.
struct Listed {
    qint64 heads = 0;
    QString sha256;
};
enum class List { Missing, Unusable, Read };
// Reads the list of the saved backup in folder into *years, by file name. Unusable (with
// *problem in Japanese) for a list that is a link, cannot be read or is not one the save
// writes: its copies cannot be checked by it.
List readList(const QString &folder, QHash<QString, Listed> *years, QString *problem);

// The file's SHA-256 in lowercase hex, as the list gives it; "" when it cannot be read.
QString sha256Of(const QString &path);

}  // namespace SavedBackup

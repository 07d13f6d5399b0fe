#pragma once

#include <QString>
#include <array>
#include <functional>
#include <optional>

class QSqlError;
class YearFile;

// The steps by which a new year file or a backup comes into being without ever being
// seen half-made: a consistent copy under a temporary name, flushed to the disk, then
// renamed to its final name. A copy of an open database is only ever made this way.
namespace Snapshot {

// The rows a copy must keep: the calves (all, or those a rollover carries: a closing
// value that is not 0), the expense rows, the income rows.
using Counts = std::array<qint64, 3>;
enum class Calves { All, Carried };
std::optional<Counts> counts(const YearFile &file, QString *error, Calves calves = Calves::All);

// Reads a copy back before anything trusts it: SQLite's quick check, and the rows of the
// file it was made from. "" when it holds, else why not.
QString check(const YearFile &copy, const Counts &expected);

// A temporary name beside finalPath that no year, backup or pointer file ever has.
QString temporaryPath(const QString &finalPath);
bool isTemporary(const QString &path);

// Writes a consistent copy of the file open on `from` to path (SQLite's backup). Whatever
// was already at path is removed first: only temporary paths are given here.
bool copy(const YearFile &from, const QString &path, QString *error);

// Forces a closed file (or a folder's entries) to the disk; SQLite does not sync what
// VACUUM INTO writes.
bool sync(const QString &path, QString *error, bool folder = false);
// Test seam: called with each path just before it is synced, so that a test can pull the
// medium out or make it read-only at that moment; empty restores the default.
void setBeforeSync(std::function<void(const QString &path, bool folder)> hook);

// Renames a finished, synced file to its final name, never replacing a file that is
// there, and syncs the folder so that the new name survives a power cut.
bool publish(const QString &temporary, const QString &finalPath, QString *error);

// Why nothing can be written in an existing folder (a read-only medium, no permission), in
// Japanese; "" when it can.
QString unwritable(const QString &folder);

// The causes of a failed write that a farmer can do something about (a full disk, a
// folder that cannot be written), in Japanese; "" for any other.
QString storageHint(const QSqlError &error);

// Removes a temporary file and the journal SQLite may have left beside it.
void discard(const QString &temporary);

}  // namespace Snapshot

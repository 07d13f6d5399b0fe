#pragma once

#include <QString>
#include <functional>

class QWidget;

// ﾌｧｲﾙ > バックアップを保存: asks for a folder (a USB stick), saves every year into a new
// folder there and says what was saved.
namespace SaveBackup {

void run(QWidget *parent);

// Test seam: answers the folder dialog ("" for Cancel); an empty function restores it.
void setFolderAnswer(std::function<QString()> answer);

}  // namespace SaveBackup

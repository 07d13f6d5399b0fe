#pragma once

class QWidget;

// ﾌｧｲﾙ > バックアップを保存: asks for a folder (a USB stick) with the chooser the
// restore window uses, saves every year into a new folder there and says what was saved.
namespace SaveBackup {

void run(QWidget *parent);

}  // namespace SaveBackup

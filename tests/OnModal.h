#pragma once

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "MsgBox.h"

// Runs work on the next modal dialog once it is up (the caller then opens it).
inline void onModal(std::function<void(QWidget *)> work) {
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, work] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        work(modal);
    });
    timer->start();
}

// Every box asked for since MsgBox::clearShown(), one a line: "title|text", and
// "|OK/Cancel" after a box that asks.
inline QString shownBoxes() {
    QStringList boxes;
    for (const MsgBox::Shown &s : MsgBox::shown())
        boxes << s.title + "|" + s.text +
                     (s.buttons == MsgBox::Buttons::OkCancel ? "|OK/Cancel" : "");
    return boxes.join("\n");
}

// Runs action with real message boxes, answering each with OK once it is the active
// window (so that the windows below see it close as a desktop shows it), after look has
// seen it; the boxes are answered headless again afterwards.
inline void withRealBoxes(const std::function<void()> &action,
                          const std::function<void(QWidget *)> &look = {}) {
    MsgBox::setHeadless(false);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&look] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box || QApplication::activeWindow() != box) return;
        if (look) look(box);
        qobject_cast<QDialog *>(box)->accept();
    });
    answer.start(10);
    action();
    MsgBox::setHeadless(true);
}

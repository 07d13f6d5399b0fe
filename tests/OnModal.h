#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

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

#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace
{
constexpr int kPollMs = 20;
} // namespace

ModalAnswerer::ModalAnswerer()
{
    QObject::connect(&poll, &QTimer::timeout, [this] { answer(); });
    poll.start(kPollMs);
}

void ModalAnswerer::answer()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box)
        return;
    ++boxes;
    title = box->windowTitle();
    text = box->text();
    if (whileOpen)
        whileOpen();
    box->button(QMessageBox::Ok)->click();
}

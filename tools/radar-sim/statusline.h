#pragma once

#include <QObject>
#include <QTimer>

struct SimStats;

// Writes the counters to standard error once a second.
class StatusLine : public QObject
{
    Q_OBJECT

public:
    StatusLine(const SimStats &stats, QObject *parent);

    void start();
    static QString format(const SimStats &stats);

private slots:
    void print();

private:
    const SimStats &stats;
    QTimer timer;
};

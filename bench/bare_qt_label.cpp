// Reference for the CPU benchmark: the least a Qt 6 Widgets program with this
// program's timer does, one label showing the time, refreshed every 50 ms.

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label;
    label.setWindowTitle("bare Qt label");
    label.setGeometry(500, 0, 474, 334); // beside the program, not over it
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &label,
                     [&] { label.setText(QTime::currentTime().toString("HH:mm:ss")); });
    timer.start(50);
    label.show();
    return QApplication::exec();
}

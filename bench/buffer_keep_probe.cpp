// Tells what the radar view's window buffers hold when a frame begins, on the
// platform it runs on (X11, or Wayland with QT_QPA_PLATFORM=wayland): a widget
// of the view's own kind clears each frame to a colour of its own, swaps, and
// reads the back buffer before the next frame draws, 20 ms later as in the
// client, with the window system's events handled between. One line per frame
// on standard output:
//   FRAME holds N     the back buffer holds the frame of N swaps ago
//                     (1: a swap copies, or keeps the buffer drawn last)
//   FRAME holds none  it holds no earlier frame (undefined or cleared)
//
//   buffer_keep_probe [FRAMES]
#include "glview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <cstdio>
#include <cstdlib>

namespace
{

const QSize kProbeSize(320, 240);
constexpr int kDefaultFrames = 12;
constexpr int kColourStep = 19; // frame n is grey level n * step: all distinct
constexpr int kFrameIntervalMs = 20;

int greyOf(int frame)
{
    return frame * kColourStep % 256;
}

class ColourFrames : public GLWidgetBase
{
public:
    void setFrame(int frame) { current = frame; }

protected:
    void paintGL() override
    {
        const float grey = greyOf(current) / 255.0f;
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

private:
    int current = 0;
};

// How many swaps ago the frame in image was drawn, before frame; 0 for none.
int ageOf(const QImage &image, int frame)
{
    const int grey = qRed(image.pixel(image.width() / 2, image.height() / 2));
    for (int age = 1; age <= frame; ++age)
        if (greyOf(frame - age) == grey)
            return age;
    return 0;
}

void handleEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::atoi(argv[1]) : kDefaultFrames;
    ColourFrames view;
    if (!glview::showAt(view, kProbeSize)) {
        std::fprintf(stderr, "buffer_keep_probe: the window could not be shown\n");
        return 1;
    }
    for (int frame = 0; frame < frames; ++frame) {
        handleEventsFor(kFrameIntervalMs);
        if (frame > 0) {
            const int age = ageOf(view.grabFrameBuffer(), frame);
            if (age > 0)
                std::printf("%d holds %d\n", frame, age);
            else
                std::printf("%d holds none\n", frame);
        }
        view.setFrame(frame);
        view.updateGL();
    }
    return 0;
}

#pragma once

#include <QRect>
#include <QtGui/qopengl.h>

#include <functional>
#include <memory>

class DisplayList;

// All that the view shows of an outage (the client has no connection to its
// server, or no frame yet from a new one): the sweep stands at the beam it had
// when the signal was lost, and a "no signal" mark lies over the screen's
// centre. The markers already shown fade as the logic ages them. Whoever
// knows of the outage only tells; the beam the sweep shows is decided here
// and nowhere else.
class OutagePicture
{
public:
    OutagePicture();
    ~OutagePicture();
    OutagePicture(const OutagePicture &) = delete;
    OutagePicture &operator=(const OutagePicture &) = delete;

    // The signal is lost or back; beamNow is the logic's beam (degrees) at
    // that moment.
    void setSignalLost(bool lost, double beamNow);

    // The beam the sweep shows (degrees), given the logic's.
    double shownBeam(double logicBeam) const { return lost ? frozenBeam : logicBeam; }

    // While the signal is lost, draws the mark with the current coordinates
    // centred on the screen at the mark's height and returns the window area
    // it drew in (wholeView when that is not bounded); else draws nothing.
    // The mark's texture is loaded by loadTexture when first needed.
    QRect drawMark(const std::function<GLuint()> &loadTexture, const QRect &wholeView);

    // Frees the mark's list, with the context that built it current.
    void releaseGL();

private:
    void buildMarkList(GLuint texture);

    bool lost = false;
    double frozenBeam = 0.0;               // degrees: the beam when the signal was lost
    std::unique_ptr<DisplayList> markList; // the mark's quad and texture; built when first shown
};

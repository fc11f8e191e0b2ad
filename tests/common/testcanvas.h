#pragma once

#include <QImage>

namespace testsupport {

// A subtitle canvas as the run makes them: white, with two centred lines of yellow
// "Liberation Sans" text on a blue band, 50 pixels above the bottom edge.
QImage TextCanvas(int height, int pixelSize, bool antialiased);

// Every pixel an independent random colour: the worst case for the encoder.
QImage NoiseCanvas(int width, int height, unsigned seed);

} // namespace testsupport

#pragma once

// The settings name Windows fonts ("ＭＳ ゴシック" by default). Maps them to the
// Japanese fonts a Debian desktop has, so the grid shows the face meant.
namespace Fonts {
void installSubstitutes();
}

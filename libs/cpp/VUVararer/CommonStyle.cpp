#include "CommonStyle.h"

#include "App.h"

namespace VUVararer {

QString CommonStyle::cssStyle() const { return QString(); }

int CommonStyle::sdp(float divisor) { return int(float(App::theApp()->smallestDimention()) / divisor); }

} // namespace VUVararer

// Pictures rendered from DOT text by the Graphviz program `dot`.
#ifndef PEDPREP_INSPECT_DOT_RENDERING_H_
#define PEDPREP_INSPECT_DOT_RENDERING_H_

#include <functional>
#include <string>

namespace pedprep {

// Renders DOT text as an image of `format` ("svg", "png" or "pdf") into `image`. Returns ""
// on success, else the problem in one line.
using DotRenderer = std::function<std::string(const std::string& dot, const std::string& format,
                                              int timeout_seconds, std::string* image)>;

// Runs the Graphviz program `dot` found on PATH, the DOT text on its standard input and the
// image from its standard output (no file is written). `dot` is killed when it runs longer
// than `timeout_seconds` and when pedprep ends.
std::string RenderWithDot(const std::string& dot, const std::string& format, int timeout_seconds,
                          std::string* image);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_DOT_RENDERING_H_

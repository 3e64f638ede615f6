// Reference counts of GL texture names. The texture cache hands one GL name to every stage that
// loads the same file, so a name is deleted only when the last texture (or cache entry) that
// holds it lets go; deleting one stage never leaves another stage binding a dead name.
#pragma once

#include "platform/gl/GL.h"

namespace quarn {

class TQGLTextureNames {
  public:
    // Takes one reference to name (0 is no texture and is not counted).
    static void Acquire(GLuint name);
    // Drops one reference; the last one deletes the GL texture. A name that was never acquired
    // counts as held once, so it is deleted too.
    static void Release(GLuint name);
    static int References(GLuint name);
};

} // namespace quarn

#include "fit/generator.h"

namespace wavetrak {

int next_draw(Generator& generator) {
    generator.state = generator.state * 214013u + 2531011u;
    return static_cast<int>((generator.state >> 16) & 0x7FFFu);
}

double next_uniform(Generator& generator) {
    return static_cast<double>(next_draw(generator)) / 32767.0;
}

}  // namespace wavetrak

#include "ui/About.h"

#ifndef KORVANT_VERSION
#define KORVANT_VERSION "?"
#endif

std::string AboutText() {
    return std::string("KORVANT, версия ") + KORVANT_VERSION +
           "\rСетевое планирование: сетевой график «работы — дуги» и критический путь";
}

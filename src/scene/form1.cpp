#include "scene/form1.h"

#include "scene/layout.h"
#include "scene/picture.h"
#include "scene/stored_pictures.h"

namespace miravel {

Form1::Form1() {
    layout::build(*this);
    for (Integer* variable : {&masicStep, &ancouStep, &kameCount, &eyeACount, &eyeBCount, &mouthCount, &eternityOn})
        keep(*variable);
    icon_ = decodeStoredPicture(storedPicture("Form1"), "Form1");
    leftEye_ = {&Face1A, &Face2A, &Face3A, &Face4A,  &Face5A,  &Face6A,
                &Face7A, &Face8A, &Face9A, &Face10A, &Face11A, &Face12A};
    rightEye_ = {&Face1B, &Face2B, &Face3B, &Face4B,  &Face5B,  &Face6B,
                 &Face7B, &Face8B, &Face9B, &Face10B, &Face11B, &Face12B(1)};
    mouth_ = {&Face1C, &Face2C, &Face3C, &Face4C, &Face5C, &Face6C};
}

void Form1::load() {
    raise("Form", "Load", [this] { Form_Load(); });
}

} // namespace miravel

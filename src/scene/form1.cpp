#include "scene/form1.h"

#include "scene/picture.h"
#include "scene/layout.h"
#include "scene/stored_pictures.h"

namespace miravel {

Form1::Form1() {
    layout::build(*this);
    icon_ = decodeStoredPicture(storedPicture("Form1"), "Form1");
    leftEye_ = {&Face1A, &Face2A, &Face3A, &Face4A, &Face5A, &Face6A,
                &Face7A, &Face8A, &Face9A, &Face10A, &Face11A, &Face12A};
    rightEye_ = {&Face1B, &Face2B, &Face3B, &Face4B, &Face5B, &Face6B,
                 &Face7B, &Face8B, &Face9B, &Face10B, &Face11B, &Face12B(1)};
    mouth_ = {&Face1C, &Face2C, &Face3C, &Face4C, &Face5C, &Face6C};
    connectHandlers();
}

void Form1::load() { raise("Form", "Load", [this] { Form_Load(); }); }

void Form1::connectHandlers() {
    JIKOKU1.onTimer = [this] { JIKOKU1_Timer(); };
    FIN.onTimer = [this] { FIN_Timer(); };
    MOVE2.onTimer = [this] { MOVE2_Timer(); };
    FACE3E.onTimer = [this] { FACE3E_Timer(); };
    FACE3S.onTimer = [this] { FACE3S_Timer(); };
    MOVE1.onTimer = [this] { MOVE1_Timer(); };
    FACE2E.onTimer = [this] { FACE2E_Timer(); };
    FACE1E.onTimer = [this] { FACE1E_Timer(); };
    FACE3.onTimer = [this] { FACE3_Timer(); };
    FACE2.onTimer = [this] { FACE2_Timer(); };
    FACE1.onTimer = [this] { FACE1_Timer(); };
    KAME.onTimer = [this] { KAME_Timer(); };
    ANCOU.onTimer = [this] { ANCOU_Timer(); };
    COMBU.onTimer = [this] { COMBU_Timer(); };
    masicA.onTimer = [this] { masicA_Timer(); };
    JIKOKU.onClick = [this] { JIKOKU_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
    Command3.onClick = [this] { Command3_Click(); };
    SelectBg.onClick = [this] { SelectBg_Click(); };
}

} // namespace miravel

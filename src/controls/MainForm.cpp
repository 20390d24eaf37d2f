// The table window's event procedures that belong to the player controls.
#include "client/MainForm.h"

#include "client/frmExit.h"
#include "controls/Hero.h"
#include "social/Mod_Prop.h"

namespace mj {

// The player card comes with the player controls.
void MainForm::Tou_MouseMove(int16_t, int16_t, int16_t, float, float) {}

// The toolbar. The history (6) and exit (8) buttons are here; the others
// come with the player controls.
void MainForm::AnNiu_Click(int16_t& index)
{
    switch (index) {
    case 6: {
        Hero& hero = form<Hero>();
        if (hero.Visible()) {
            hero.Hide();
        } else {
            hero.Move(Left() + Pic1.Left(), Top() + Pic1.Top());
            hero.Show();
        }
        break;
    }
    case 8:
        if (Mod_Prop::Prop_GameDllState > 0 && Mod_Prop::PropObj)
            Mod_Prop::PropObj->setbankstate(2);
        ToggleExitDialog();
        break;
    default:
        break;
    }
}

} // namespace mj

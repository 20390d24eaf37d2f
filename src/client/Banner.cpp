// The two web panels of the table window: the small banner WebBrowser1 over
// the mascot Bird, and the advertisement page WebBrowser2. The banner shows
// only once its page has loaded, so until then Bird shows through; a banner
// that failed once stays hidden for the rest of the run.
//
// The panels never show a context menu: the web panel control itself
// suppresses it for every page, so the download events keep nothing here.
#include "client/MainForm.h"

#include "client/Data.h"

namespace mj {

void MainForm::WebBrowser1_DownloadComplete() {}

void MainForm::WebBrowser2_DownloadComplete() {}

void MainForm::WebBrowser1_DocumentComplete()
{
    if (BannerFailed)
        return;
    WebBrowser1.SetTop(Bird.Top() + 2);
    WebBrowser1.SetLeft(Bird.Left() + 2);
    WebBrowser1.ZOrder(0);
    WebBrowser1.SetVisible(true);
}

void MainForm::WebBrowser1_NavigateError()
{
    WebBrowser1.SetVisible(false);
    BannerFailed = true;
}

// No flag: a later navigation may show the panel again through its callers.
void MainForm::WebBrowser2_NavigateError()
{
    WebBrowser2.SetVisible(false);
}

} // namespace mj

#include "support/SimTestSupport.h"
#include "app/AppUpdateOffer.h"

/* The main component's parts as the user meets them: the editors told of a lost product through
   their one protocol, and the boxes shown one at a time. */

namespace
{
    /** Stands in for an editor in the main component's list: notes what it is told, then tells the editor. */
    class EditorRecorder : public EditorPanel
    {
    public:
        EditorRecorder (EditorPanel& editorToTell, const juce::String& editorName, juce::StringArray& sharedLog)
            : editor (editorToTell), name (editorName), log (sharedLog) {}

        void productLost() override                    { log.add (name + " lost"); editor.productLost(); }
        void setEditorMode (EditorMode mode) override  { log.add (name + " mode " + juce::String ((int) mode)); editor.setEditorMode (mode); }
        void refreshFromModel() override               { log.add (name + " refresh"); editor.refreshFromModel(); }

    private:
        EditorPanel& editor;
        juce::String name;
        juce::StringArray& log;
    };
}

class MainComponentParts : public SimulatedAppFixture
{
};

TEST_F (MainComponentParts, AnUnplugTellsEveryEditorOnceInOrderAndSendsNothing)
{
    SimulatedProduct::Config config;
    config.productCode = productJorvek;
    auto product = addProduct (config);
    ASSERT_TRUE (pumpUntilReadEnds (5000));

    juce::StringArray log;
    std::vector<std::unique_ptr<EditorRecorder>> recorders;
    const char* names[] = { "Filter", "RouterMidi", "Settings", "Upgrader", "Mapper", "Presets" };
    ASSERT_EQ (main->editorPanels.size(), 6);

    for (int i = 0; i < main->editorPanels.size(); ++i)
    {
        recorders.push_back (std::make_unique<EditorRecorder> (*main->editorPanels[i], names[i], log));
        main->editorPanels.set (i, recorders.back().get());
    }

    device().filterChannels[3][5] = 0x00FF;
    const auto sentBefore = ports->getSent().size();
    product->unplug();

    ASSERT_TRUE (pumpUntil ([this] { return main->infoLabel->getText() == "Information: No device connected"; }, 3000));
    pump (50);

    EXPECT_EQ (log, juce::StringArray ({ "Filter lost", "RouterMidi lost", "Settings lost", "Upgrader lost", "Mapper lost", "Presets lost" }));
    EXPECT_EQ (ports->getSent().size(), sentBefore) << "nothing is sent to a lost product";
    EXPECT_EQ (device().filterChannels[3][5], 0) << "the filter tab resets its tables";
    EXPECT_EQ (device().productCode, productNone);
    EXPECT_FALSE (main->buttonReset->isEnabled());
    EXPECT_FALSE (main->presets->buttonLoadSinglePreset.isEnabled());

    main->editorPanels.clear();
}

TEST_F (MainComponentParts, TwoOffersAreShownOneAfterTheOther)
{
    AppVersionInfo offer;
    offer.version = "9.9";
    offer.url = "http://127.0.0.1:9/pellion-9.9.deb";
    offer.valid = true;

    main->showAppUpdateDialog (offer);
    main->showAppUpdateDialog (offer);

    // The second box waits until the first is answered.
    EXPECT_EQ (main->boxes.size(), 1);
    ASSERT_TRUE (main->answerBox (AppUpdateOffer::declineButton));
    EXPECT_EQ (main->boxes.size(), 2);
    ASSERT_TRUE (main->answerBox (AppUpdateOffer::declineButton));
    EXPECT_FALSE (main->answerBox (AppUpdateOffer::declineButton));
}

//==============================================================================
TEST (BoxPresenterQueue, ShowsOneBoxAtATimeInTheOrderPosted)
{
    juce::Component owner;
    BoxPresenter presenter (owner);

    struct Shown { juce::String title; std::function<void (int)> close; };
    std::vector<Shown> shown;
    presenter.showBox = [&shown] (const juce::MessageBoxOptions& options, std::function<void (int)> close)
    {
        shown.push_back ({ options.getTitle(), std::move (close) });
    };

    juce::Array<int> results;
    auto box = [] (const char* title) { return juce::MessageBoxOptions().withTitle (title).withButton ("Yes").withButton ("No"); };

    presenter.show (box ("first"), [&results] (int r) { results.add (r); });
    presenter.showDeviceAlert (true, "second", [&results] { results.add (100); });
    presenter.show (box ("third"));

    ASSERT_EQ (shown.size(), 1u);
    EXPECT_EQ (shown[0].title, "first");
    EXPECT_EQ (presenter.getNumWaiting(), 2);

    shown[0].close (1);
    ASSERT_EQ (shown.size(), 2u);
    EXPECT_EQ (shown[1].title, "Info") << "a device alert takes its place in the queue";

    shown[1].close (0);
    ASSERT_EQ (shown.size(), 3u);
    EXPECT_EQ (shown[2].title, "third");

    shown[2].close (0);
    EXPECT_FALSE (presenter.isShowing());
    EXPECT_EQ (results, juce::Array<int> (1, 100));
}

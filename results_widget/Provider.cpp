#include "results_widget/Provider.h"

#include "core/Repository/ResultsRepository.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Description.h"
#include "platform/foundation/LinePrinter.h"

using platform::foundation::Calendar;
using platform::foundation::Date;
using platform::widget::Timeline;
using platform::widget::TimelineReloadPolicy;

namespace results_widget {

ResultsEntry Provider::placeholder(const Context&) const {
    return ResultsEntry();
}

void Provider::getSnapshot(const Context&, std::function<void(ResultsEntry)> completion) const {
    if (completion) {
        completion(ResultsEntry());
    }
}

void Provider::getTimeline(const Context&,
                           std::function<void(Timeline<ResultsEntry>)> completion) const {
    ResultsRepository::fetchResutls(
        [completion = std::move(completion)](ResultsModel model) { answer(model, completion); });
}

Timeline<ResultsEntry> Provider::makeTimeline(const ResultsModel& model, Date now) {
    double yearCompletion =
        static_cast<double>(model.yearResult) / static_cast<double>(model.yearPlan);
    double monthCompletion =
        static_cast<double>(model.monthResult) / static_cast<double>(model.monthPlan);
    ResultsEntry entry{now, model.yearResult, model.monthResult, yearCompletion, monthCompletion};
    // The calendar has an answer for any date a clock gives; elapsed minutes stand in otherwise.
    Date reloadDate = Calendar::current()
                          .date(Calendar::Component::minute, reloadMinutes, now)
                          .value_or(now.addingTimeInterval(reloadMinutes * 60.0));
    return Timeline<ResultsEntry>{{entry}, TimelineReloadPolicy::after(reloadDate)};
}

void Provider::answer(const ResultsModel& model,
                      const std::function<void(Timeline<ResultsEntry>)>& completion) {
    auto timeline = makeTimeline(model, Date::now());
    platform::foundation::print(platform::foundation::describe(timeline.entries[0].yearCompletion));
    if (completion) {
        completion(std::move(timeline));
    }
}

} // namespace results_widget

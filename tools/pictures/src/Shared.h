#pragma once

#include <QImage>

#include <functional>
#include <memory>

namespace pic {

// A picture painted once, on first use, and shared by the jobs that need it.
class Lazy {
public:
    explicit Lazy(std::function<QImage()> paint)
        : state_(std::make_shared<State>(State{std::move(paint), {}})) {}
    const QImage& operator()() const {
        if (state_->image.isNull())
            state_->image = state_->paint();
        return state_->image;
    }

private:
    struct State {
        std::function<QImage()> paint;
        QImage image;
    };
    std::shared_ptr<State> state_;
};

} // namespace pic

#include "mesh/surface_point.h"

#include "frame/sdk/shape.h"

void Surface_point::get(const control_point_class& cp) {
    position = cp.get_position();
    first_handle = cp.get_first_handle();
    second_handle = cp.get_second_handle();
    first_flag = cp.get_first_flag();
    third_handle = cp.get_third_handle();
    fourth_handle = cp.get_fourth_handle();
    second_flag = cp.get_second_flag();
}

void Surface_point::set(control_point_class& cp) const {
    cp.set_position(position);
    cp.set_first_handle(first_handle);
    cp.set_second_handle(second_handle);
    cp.set_third_handle(third_handle);
    cp.set_fourth_handle(fourth_handle);
    cp.set_first_flag(first_flag);
    cp.set_second_flag(second_flag);
}

Surface_point Surface_point::operator*(const mat4& m) const {
    Surface_point r = *this;
    r *= m;
    return r;
}

Surface_point& Surface_point::operator*=(const mat4& m) {
    position = position * m;
    first_handle = first_handle * m;
    second_handle = second_handle * m;
    third_handle = third_handle * m;
    fourth_handle = fourth_handle * m;
    return *this;
}

Surface_point& Surface_point::operator*=(float s) {
    position *= s;
    first_handle *= s;
    second_handle *= s;
    third_handle *= s;
    fourth_handle *= s;
    return *this;
}

Surface_point& Surface_point::operator+=(const Surface_point& q) {
    position += q.position;
    first_handle += q.first_handle;
    second_handle += q.second_handle;
    third_handle += q.third_handle;
    fourth_handle += q.fourth_handle;
    first_flag = first_flag || q.first_flag;
    second_flag = second_flag || q.second_flag;
    return *this;
}


#error stop here
